// SPDX-License-Identifier: MIT
// A host enters the module with whatever stack alignment and floating-point
// state its own code left: a 32-bit host may align the stack to 4 bytes only,
// set the x87 precision to 24 or 53 bits, round toward zero, flush denormals or,
// as a debugging build does, unmask exceptions. These calls go through a
// trampoline that enters with such a state on purpose; the module must give the
// results of plain calls, bit for bit, hand the caller's control words back as
// they were and leave no exception flag set that the caller unmasks: the host
// would trap at its own next x87 instruction. Flags are checked rather than
// traps, which qemu does not emulate reliably.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "contract/panel_ids.h"
#include "host/host.h"
#include "nodes/instance.h"
#include "nodes/node_table.h"

#if defined(__i386__) || (defined(__x86_64__) && defined(__ELF__))

// What the trampoline enters with, and the control and status words it finds on return.
struct EntryState {
  std::uint32_t stackOffset;  // bytes below a 16-byte boundary at the call (32-bit x86 only)
  std::uint32_t x87;          // x87 control word (32-bit x86 only)
  std::uint32_t mxcsr;
  std::uint32_t x87After;
  std::uint32_t mxcsrAfter;
  std::uint32_t x87StatusAfter;  // 32-bit x86 only
};
static_assert(offsetof(EntryState, x87) == 4 && offsetof(EntryState, mxcsr) == 8 &&
              offsetof(EntryState, x87After) == 12 && offsetof(EntryState, mxcsrAfter) == 16 &&
              offsetof(EntryState, x87StatusAfter) == 20);

// Calls fn(a, b, c, d) in `state` with the x87 exception flags clear, then
// restores the state it was called in.
// The assembler name is given, as Windows would prefix an underscore.
extern "C" std::uintptr_t kvCallInHostState(std::uintptr_t fn, std::uintptr_t a, std::uintptr_t b, std::uintptr_t c,
                                            std::uintptr_t d, EntryState* state) asm("kvCallInHostState");
#ifdef __ELF__
#define KV_ELF_ONLY(directive) directive "\n"
#else
#define KV_ELF_ONLY(directive)
#endif
#if defined(__i386__)
asm(R"(
  .text
  .globl kvCallInHostState
)" KV_ELF_ONLY(".type kvCallInHostState, @function") R"(
kvCallInHostState:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  subl $8, %esp
  fnstcw -8(%ebp)
  stmxcsr -12(%ebp)
  movl 28(%ebp), %ebx
  movl 8(%ebp), %eax
  movl (%ebx), %ecx
  andl $-16, %esp
  subl %ecx, %esp
  pushl 24(%ebp)
  pushl 20(%ebp)
  pushl 16(%ebp)
  pushl 12(%ebp)
  fnclex
  fldcw 4(%ebx)
  ldmxcsr 8(%ebx)
  call *%eax
  fnstcw 12(%ebx)
  fnstsw 20(%ebx)
  stmxcsr 16(%ebx)
  fnclex
  fldcw -8(%ebp)
  ldmxcsr -12(%ebp)
  movl -4(%ebp), %ebx
  movl %ebp, %esp
  popl %ebp
  ret
)" KV_ELF_ONLY(".size kvCallInHostState, .-kvCallInHostState"));
#else
asm(R"(
  .text
  .globl kvCallInHostState
  .type kvCallInHostState, @function
kvCallInHostState:
  pushq %rbp
  movq %rsp, %rbp
  pushq %rbx
  subq $8, %rsp
  stmxcsr -16(%rbp)
  movq %r9, %rbx
  movq %rdi, %rax
  movq %rsi, %rdi
  movq %rdx, %rsi
  movq %rcx, %rdx
  movq %r8, %rcx
  ldmxcsr 8(%rbx)
  call *%rax
  stmxcsr 16(%rbx)
  ldmxcsr -16(%rbp)
  movq -8(%rbp), %rbx
  leave
  ret
  .size kvCallInHostState, .-kvCallInHostState
)");
#endif

namespace kv::host {
namespace {

constexpr std::uint32_t MXCSR_DEFAULT = 0x1F80;
constexpr std::uint32_t MXCSR_FLAGS = 0x3F;
constexpr int MXCSR_MASKS_SHIFT = 7;
constexpr std::uint32_t X87_DEFAULT = 0x037F;
constexpr std::uint32_t X87_EXCEPTIONS = 0x3F;     // flags in the status word, masks in the control word
constexpr std::uint32_t X87_ERROR_SUMMARY = 0x80;  // status: an unmasked exception is pending

struct FpCase {
  const char* name;
  std::uint32_t x87;
  std::uint32_t mxcsr;
};

// Precision control: bits 8-9 (0 = 24 bits, 2 = 53, 3 = 64); rounding: bits
// 10-11 of the x87 word and 13-14 of MXCSR (3 = toward zero); MXCSR bit 15
// flushes results to zero, bit 6 reads denormals as zero. Exception masks:
// bits 0-5 of the x87 word, 7-12 of MXCSR (invalid, denormal, divide by zero,
// overflow, underflow, precision). A debugging build unmasks invalid, divide by
// zero and overflow in both (0x0272, MXCSR 0x1900), or precision too; with
// precision unmasked in MXCSR the substitute host's own key interpolation would
// trap, so that case unmasks it in the x87 word alone.
constexpr FpCase fpCases[] = {
#if defined(__i386__)
    {"x87_64_bits", X87_DEFAULT, MXCSR_DEFAULT},
    {"x87_53_bits", 0x027F, MXCSR_DEFAULT},
    {"x87_24_bits", 0x007F, MXCSR_DEFAULT},
    {"toward_zero", X87_DEFAULT | 0x0C00, MXCSR_DEFAULT | 0x6000},
    {"unmasked_invalid", 0x0272, 0x1900},
    {"unmasked_precision", 0x025F, MXCSR_DEFAULT},
#else
    {"default", X87_DEFAULT, MXCSR_DEFAULT},
    {"toward_zero", X87_DEFAULT, MXCSR_DEFAULT | 0x6000},
    {"unmasked_invalid", X87_DEFAULT, 0x1900},
#endif
    {"ftz_daz", X87_DEFAULT, MXCSR_DEFAULT | 0x8040},
};

#if defined(__i386__)
constexpr std::uint32_t stackOffsets[] = {0, 4, 8, 12};
#else
constexpr std::uint32_t stackOffsets[] = {0};
#endif

template <class F>
std::uintptr_t word(F value) {
  std::uintptr_t w = 0;
  static_assert(sizeof(F) <= sizeof w);
  std::memcpy(&w, &value, sizeof value);
  return w;
}

bool sameBits(const OutputValue& a, const OutputValue& b) {
  return a.deliveries == b.deliveries && std::memcmp(&a.vector, &b.vector, sizeof a.vector) == 0 &&
         std::memcmp(&a.scalar, &b.scalar, sizeof a.scalar) == 0 && a.integer == b.integer;
}

std::string shown(const OutputValue& v) {
  char text[160];
  std::snprintf(text, sizeof text, "(%.17g, %.17g, %.17g) %.17g %d", v.vector[0], v.vector[1], v.vector[2], v.scalar,
                static_cast<int>(v.integer));
  return text;
}

class HostState : public ::testing::TestWithParam<std::tuple<std::uint32_t, FpCase>> {
 protected:
  Scene scene;
  ServiceHost host{scene};
  LoadedModule module{KV_MODULE_PATH};
  ItemId child = 0;
  ItemId bone = 0;
  ItemId signalling = 0;

  // A turned root puts its child where the x87 precision shows (the cosine of
  // pi/2 is 6e-17 in double but -4.4e-8 in single precision); a denormal
  // offset shows flushing, and the root's X, which is the sampling time, the
  // rounding of the relative time.
  void SetUp() override {
    // The record's text of a delivered value goes through the C library's
    // printf, on 32-bit x86 an x87 load that a signalling NaN raises invalid in.
    host.calls().setEnabled(false);
    const ItemId root = scene.addObject("Root");
    child = scene.addObject("Child", root);
    const ItemId rig = scene.addObject("Rig", child);
    scene.setParamKeys(root, PARAM_POSITION, {{0.0, {0.0, 0.0, 5.0}}, {1.0, {1.0, 0.0, 5.0}}});
    scene.setParam(root, PARAM_ROTATION, {1.5707963267948966, 0.0, 0.0});
    scene.setParam(child, PARAM_POSITION, {1.0, 3e-310, 0.0});
    scene.setParamKeys(child, PARAM_ROTATION, {{0.0, {-0.4, 0.9, 1.1}}, {1.0, {0.7, -0.3, 0.2}}});
    scene.setParam(child, PARAM_SCALING, {2, 0.5, 1});
    scene.setParam(child, PARAM_PIVOT_ROTATION, {0.1, 0.2, 0.3});
    bone = scene.addBone(rig, "Bone");
    scene.setParam(bone, PARAM_ROTATION, {0.3, 0.1, -0.7});
    scene.setRest(bone, PARAM_ROTATION, {0.2, 0.4, 0.6});
    scene.select({child});
    // Signalling NaNs, passed on unchanged by some outputs and computed with by
    // others: an x87 load of one raises invalid.
    constexpr double sNaN = std::numeric_limits<double>::signaling_NaN();
    signalling = scene.addObject("Signalling", root);
    scene.setParam(signalling, PARAM_POSITION, {sNaN, 1.0, 2.0});
    scene.setParam(signalling, PARAM_ROTATION, {0.5, sNaN, 0.25});
    scene.setParam(signalling, PARAM_PIVOT_ROTATION, {sNaN, 0.0, 0.0});
  }

  // Calls fn(a, b, c, d) with the parameter's stack offset and state and
  // expects the control words back as they were entered with, with no flag set
  // of an exception they unmask.
  template <class F, class A = int, class B = int, class C = int, class D = int>
  std::uintptr_t enter(F fn, A a = 0, B b = 0, C c = 0, D d = 0) {
    const auto& [offset, fp] = GetParam();
    EntryState state{offset, fp.x87, fp.mxcsr, 0, 0, 0};
    const std::uintptr_t result = kvCallInHostState(word(fn), word(a), word(b), word(c), word(d), &state);
#if defined(__i386__)
    EXPECT_EQ(state.x87After & 0xFFFF, fp.x87) << "x87 control word not restored";
    const std::uint32_t unmaskedX87 = ~fp.x87 & X87_EXCEPTIONS;
    EXPECT_EQ(state.x87StatusAfter & (unmaskedX87 | X87_ERROR_SUMMARY), 0u)
        << "x87 status word " << std::hex << state.x87StatusAfter << ": an unmasked exception is pending";
#endif
    EXPECT_EQ(state.mxcsrAfter & ~MXCSR_FLAGS, fp.mxcsr) << "MXCSR control not restored";
    const std::uint32_t unmaskedSse = ~(fp.mxcsr >> MXCSR_MASKS_SHIFT) & MXCSR_FLAGS;
    EXPECT_EQ(state.mxcsrAfter & unmaskedSse, 0u)
        << "MXCSR " << std::hex << state.mxcsrAfter << ": the flag of an unmasked exception is set";
    return result;
  }

  // Every output of the node, computed by an entered call and then served again
  // (from the Info node's caches) by a second one, against a plain call.
  void expectPlainResults(HostNode& node) {
    for (const PortInfo& output : node.outputs()) {
      const OutputValue plain = node.evaluate(output.name);
      node.newTime(3, 0.1);  // the entered call must compute, not read the cache
      for (const char* pass : {"computed", "served again"}) {
        OutputValue entered;
        entered.output = static_cast<const NodeOutput*>(output.handle);
        NodalContext context = node.context();
        enter(node.handler().evaluate, node.instance(), &context, output.handle, &entered);
        EXPECT_TRUE(sameBits(plain, entered))
            << output.name << " " << pass << ": " << shown(entered) << " instead of " << shown(plain);
      }
    }
  }

  // The node of `server` sampling `item` at a time relative to the step, 0.1 +
  // 0.2: inexact, so that its rounding direction shows.
  void sample(HostNode& node, ItemId item) {
    node.connectInteger("Item", static_cast<std::int32_t>(item));
    HostPanel* panel = node.openPanel();
    ASSERT_NE(panel, nullptr);
    panel->set(CTL_MODE, std::int32_t{TM_REL});
    panel->set(CTL_TIME, 0.2);
    node.newTime(3, 0.1);
  }
};

TEST_P(HostState, ActivationAndEvaluationGiveThePlainResults) {
  for (const NodeDef& def : nodeTable) {
    SCOPED_TRACE(def.serverName);
    const ServerInfo* info = module.find("NodeHandler", def.serverName);
    ASSERT_NE(info, nullptr);
    const auto activated = [&](bool entered) {
      NodeInstanceFuncs instanceFuncs{};
      NodeItemFuncs itemFuncs{};
      NodeRenderFuncs renderFuncs{};
      NodeHandler handler{&instanceFuncs, &itemFuncs, &renderFuncs, nullptr};
      const std::uintptr_t result = entered ? enter(info->activate, 5, ServiceHost::lookup(), &handler)
                                            : info->activate(5, ServiceHost::lookup(), &handler, nullptr);
      EXPECT_EQ(result, 0u);
      return std::string(reinterpret_cast<const char*>(&instanceFuncs), sizeof instanceFuncs) +
             std::string(reinterpret_cast<const char*>(&itemFuncs), sizeof itemFuncs) +
             std::string(reinterpret_cast<const char*>(&renderFuncs), sizeof renderFuncs) +
             std::string(reinterpret_cast<const char*>(&handler.evaluate), sizeof handler.evaluate);
    };
    EXPECT_EQ(activated(true), activated(false));

    HostNode node(host, module, def.serverName);
    sample(node, def.family == Family::Bone ? bone : child);
    expectPlainResults(node);
  }
  // The Info node covers every quantity, the Rot node the angle rounding.
  for (const char* server : {"KvI_ITEM", "KvI_ITEMR"}) {
    SCOPED_TRACE(std::string(server) + " on signalling NaNs");
    HostNode node(host, module, server);
    sample(node, signalling);
    expectPlainResults(node);
  }
}

TEST_P(HostState, CreateSaveLoadAndPanelGiveThePlainResults) {
  for (const char* server : {"KvI_ITEM", "KvI_BONEWP"}) {
    SCOPED_TRACE(server);
    HostNode node(host, module, server);
    sample(node, child);
    const NodeInstanceFuncs& funcs = *node.handler().instance;

    NodePorts ports;
    const char* error = nullptr;
    const auto created = reinterpret_cast<Instance>(enter(funcs.create, funcs.priv, &ports, &error));
    ASSERT_NE(created, nullptr);
    ASSERT_EQ(ports.outputs.size(), node.ports().outputs.size());
    for (std::size_t i = 0; i < ports.outputs.size(); ++i) {
      EXPECT_EQ(ports.outputs[i]->name, node.ports().outputs[i]->name);
      EXPECT_EQ(ports.outputs[i]->type, node.ports().outputs[i]->type);
    }
    funcs.destroy(created);

    SavedState plain;
    node.save(plain);
    SavedState saved;
    const StateWriter writer(saved);
    EXPECT_EQ(enter(funcs.save, node.instance(), writer.table()), 0u);
    EXPECT_TRUE(sameState(saved, plain));

    HostNode loaded(host, module, server);
    const StateReader reader(plain);
    EXPECT_EQ(enter(loaded.handler().instance->load, loaded.instance(), reader.table()), 0u);
    SavedState reloaded;
    loaded.save(reloaded);
    EXPECT_TRUE(sameState(reloaded, plain));

    // The panel: its activation, then get and set of the time and a focus notification.
    const ServerInfo* panelServer = module.find("NodeInterface", server);
    ASSERT_NE(panelServer, nullptr);
    NodeInterfaceRecord record{};
    record.instance = loaded.instance();
    EXPECT_EQ(enter(panelServer->activate, 5, ServiceHost::lookup(), &record), 0u);
    HostPanel* panel = host.panel(record.panel);
    ASSERT_NE(panel, nullptr);
    const std::uintptr_t time = enter(panel->getFunction(), loaded.instance(), CTL_TIME);
    EXPECT_EQ(time, word(panel->rawGet(CTL_TIME)));
    const double later = 0.30000000000000004;
    EXPECT_EQ(enter(panel->setFunction(), loaded.instance(), CTL_TIME, &later), 1u);
    EXPECT_EQ(panel->floatValue(CTL_TIME), later);
    EXPECT_EQ(enter(panel->notifyFunction(), record.panel, CTL_TIME, CTL_TIME, EVENT_FOCUS_GAINED),
              static_cast<std::uintptr_t>(panel->focus()));
  }
}

std::string caseName(const ::testing::TestParamInfo<HostState::ParamType>& info) {
  return std::get<1>(info.param).name + std::string("_offset_") + std::to_string(std::get<0>(info.param));
}

INSTANTIATE_TEST_SUITE_P(EntryStates, HostState,
                         ::testing::Combine(::testing::ValuesIn(stackOffsets), ::testing::ValuesIn(fpCases)), caseName);

}  // namespace
}  // namespace kv::host

#endif
