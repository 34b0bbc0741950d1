# SPDX-License-Identifier: MIT
# make run:  build the module and scenehost (Linux and Windows), check the Windows
#            files, list the module's servers, validate the Linux module (quick level)
#            and evaluate the example arm rig over frames 0..2; ends by drawing the rig's
#            paths into build/plots/arm_rig.svg and printing where that and KV_Info_Node.p are.
# make test: every test of every build, then a bounded fuzzing run; stops at the first failure.
# make bench: a Release build of the benchmarks (kernel beside Eigen, node evaluation, a
#            scene end to end, scenehost on scenes of up to 16,000 objects), run with 5
#            repetitions; JSON and summary.txt in build/bench/results/.
# make package: the release zip build/windows/KV_Info_Node-<version>-win32.zip (windows build),
#            then the tests of a zip packed the same way (listing, files, notices, programs under
#            the runner) and of a second build of the plug-in file giving the same bytes.
# make picture: redraws docs/child_under_pivot.svg, the node reference's picture, with the Linux build.

TEST_PRESETS := linux linux32 asan tsan windows
SOURCE_DIRS := contract module items math nodes panel host conformance scenehost tests bench fuzz

.PHONY: run test bench package picture setup format tidy

setup:
	@bash scripts/setup.sh

run: setup
	cmake --preset linux
	cmake --build --preset linux
	cmake --preset windows
	cmake --build --preset windows
	ctest --preset windows --verbose
	build/linux/scenehost/scenehost servers build/linux/KV_Info_Node.so
	build/linux/scenehost/scenehost validate build/linux/KV_Info_Node.so --level quick
	build/linux/scenehost/scenehost eval scenehost/examples/arm_rig.json --frames 0..2
	mkdir -p build/plots
	build/linux/scenehost/scenehost eval scenehost/examples/arm_rig.json --frames 0..48:2 \
	  --plot build/plots/arm_rig.svg >/dev/null
	@echo "plot of the example scene: $(CURDIR)/build/plots/arm_rig.svg"
	@echo "plug-in file: $(CURDIR)/build/windows/KV_Info_Node.p"

test: setup
	@bash scripts/timed-stages.sh build/stage-times.txt
	@set -e; for preset in $(TEST_PRESETS); do \
	  echo "=== build $$preset: configure ==="; \
	  bash scripts/timed-stages.sh build/stage-times.txt "$$preset configure" cmake --preset $$preset; \
	  echo "=== build $$preset: compile ==="; \
	  bash scripts/timed-stages.sh build/stage-times.txt "$$preset compile" cmake --build --preset $$preset; \
	  echo "=== build $$preset: test ==="; \
	  bash scripts/timed-stages.sh build/stage-times.txt "$$preset test" ctest --preset $$preset; \
	done
	@echo "=== build fuzz: bounded fuzzing of the module's inputs ==="
	@bash scripts/timed-stages.sh build/stage-times.txt "fuzz build and run" bash fuzz/smoke.sh build/fuzz
	@echo "=== stage times ==="
	@cat build/stage-times.txt

bench: setup
	cmake --preset bench
	cmake --build --preset bench
	bash bench/run.sh build/bench

package: setup
	cmake --preset windows
	cmake --build --preset windows
	cmake -P build/windows/release_zip.cmake
	ctest --preset windows -R '^release_'

picture: setup
	cmake --preset linux
	cmake --build --preset linux --target scenehost
	build/linux/scenehost/scenehost eval scenehost/examples/pivoted_child.json --plot docs/child_under_pivot.svg

format:
	find $(SOURCE_DIRS) -name '*.h' -o -name '*.cpp' | xargs -r clang-format -i

tidy: setup
	cmake --preset linux
	find module items math nodes panel -name '*.cpp' | xargs -r clang-tidy -p build/linux --quiet
