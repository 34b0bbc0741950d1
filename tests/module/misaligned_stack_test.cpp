// A 32-bit host may enter the module with the stack aligned to 4 bytes only.
// These calls go through a trampoline that misaligns the stack on purpose; the
// module must give the same results as when entered as the ABI prescribes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "host/host.h"

#if defined(__i386__)

// Calls fn(a, b, c, d) with the stack pointer at `offset` bytes below a 16-byte boundary.
// The assembler name is given, as Windows would prefix an underscore.
extern "C" std::uintptr_t kvCallMisaligned(std::uintptr_t fn, std::uintptr_t a, std::uintptr_t b, std::uintptr_t c,
                                           std::uintptr_t d, std::uint32_t offset) asm("kvCallMisaligned");
#ifdef __ELF__
#define KV_ELF_ONLY(directive) directive "\n"
#else
#define KV_ELF_ONLY(directive)
#endif
asm(R"(
  .text
  .globl kvCallMisaligned
)" KV_ELF_ONLY(".type kvCallMisaligned, @function") R"(
kvCallMisaligned:
  pushl %ebp
  movl %esp, %ebp
  movl 8(%ebp), %eax
  movl 28(%ebp), %ecx
  andl $-16, %esp
  subl %ecx, %esp
  pushl 24(%ebp)
  pushl 20(%ebp)
  pushl 16(%ebp)
  pushl 12(%ebp)
  call *%eax
  movl %ebp, %esp
  popl %ebp
  ret
)" KV_ELF_ONLY(".size kvCallMisaligned, .-kvCallMisaligned"));

namespace kv::host {
namespace {

template <class F>
std::uintptr_t word(F value) {
  std::uintptr_t w = 0;
  static_assert(sizeof(F) <= sizeof w);
  std::memcpy(&w, &value, sizeof value);
  return w;
}

class MisalignedStack : public ::testing::TestWithParam<std::uint32_t> {
 protected:
  Scene scene;
  ServiceHost host{scene};
  LoadedModule module{KV_MODULE_PATH};

  void SetUp() override {
    const ItemId root = scene.addObject("Root");
    const ItemId child = scene.addObject("Child", root);
    scene.setParam(root, PARAM_ROTATION, {0.7, -0.3, 0.2});
    scene.setParam(root, PARAM_POSITION, {1, 2, 3});
    scene.setParam(root, PARAM_PIVOT_ROTATION, {0.1, 0.2, 0.3});
    scene.setParam(child, PARAM_SCALING, {2, 0.5, 1});
    scene.setParam(child, PARAM_ROTATION, {-0.4, 0.9, 1.1});
    scene.setParam(child, PARAM_POSITION, {0.5, -1, 4});
    scene.select({child});
  }
};

TEST_P(MisalignedStack, ActivationAndEvaluationGiveTheAlignedResults) {
  const std::uint32_t offset = GetParam();
  for (const char* server : {"KvI_ITEM", "KvI_BONE", "KvI_ITEMWR", "KvI_ITEMMW"}) {
    // The activation itself, entered misaligned.
    NodeInstanceFuncs instanceFuncs{};
    NodeItemFuncs itemFuncs{};
    NodeRenderFuncs renderFuncs{};
    NodeHandler handler{&instanceFuncs, &itemFuncs, &renderFuncs, nullptr};
    const ServerInfo* info = module.find("NodeHandler", server);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(kvCallMisaligned(word(info->activate), 5, word(ServiceHost::lookup()), word(&handler), 0, offset), 0u);

    HostNode node(host, module, server);
    node.connectInteger("Item", static_cast<std::int32_t>(scene.selection()[0]));
    node.newTime(3, 0.125);
    for (const PortInfo& output : node.outputs()) {
      const OutputValue aligned = node.evaluate(output.name);
      node.newTime(3, 0.125);  // the misaligned call must compute, not read the cache
      OutputValue misaligned;
      misaligned.output = static_cast<const NodeOutput*>(output.handle);
      NodalContext context = node.context();
      kvCallMisaligned(word(node.handler().evaluate), word(node.instance()), word(&context), word(output.handle),
                       word(&misaligned), offset);
      EXPECT_EQ(misaligned.deliveries, 1) << server << " " << output.name;
      EXPECT_EQ(std::memcmp(&aligned.vector, &misaligned.vector, sizeof aligned.vector), 0)
          << server << " " << output.name << " offset " << offset;
      EXPECT_EQ(aligned.scalar, misaligned.scalar) << server << " " << output.name;
      EXPECT_EQ(aligned.integer, misaligned.integer) << server << " " << output.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Offsets, MisalignedStack, ::testing::Values(0u, 4u, 8u, 12u));

}  // namespace
}  // namespace kv::host

#endif
