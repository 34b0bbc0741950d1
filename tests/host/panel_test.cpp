// SPDX-License-Identifier: MIT
#include "host/panel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/services.h"

namespace kv::host {
namespace {

// A stand-in for the module's side of a panel: an instance and the functions
// that the hint array binds.
struct FakeInstance {
  std::int32_t choice = 2;
  double time = 0.5;
  bool hideChoice = false;
  std::vector<std::string> events;
};

void* fakeGet(Instance instance, std::uint32_t id) {
  auto* self = reinterpret_cast<FakeInstance*>(instance);
  if (id == 1) return self->hideChoice ? nullptr : &self->choice;
  if (id == 2) return &self->time;
  return nullptr;
}

int fakeSet(Instance instance, std::uint32_t id, void* value) {
  auto* self = reinterpret_cast<FakeInstance*>(instance);
  if (id == 1) {
    self->choice = *static_cast<std::int32_t*>(value);
  } else if (id == 2) {
    self->time = *static_cast<double*>(value);
  } else {
    return 0;
  }
  return 1;
}

int fakeNotify(PanelHandle panel, std::uint32_t control, std::uint32_t value, int event) {
  auto* self = static_cast<FakeInstance*>(panelFuncsTable().getData(panel, 0));
  self->events.push_back("notify " + std::to_string(control) + " " + std::to_string(value) + " " +
                         std::to_string(event));
  return 10 + event;
}

int fakeCount(void* userData) { return static_cast<int>(static_cast<std::vector<std::string>*>(userData)->size()); }

const char* fakeName(void* userData, int index) {
  auto& names = *static_cast<std::vector<std::string>*>(userData);
  return index < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(index)].c_str() : nullptr;
}

void fakeButton(PanelHandle panel, int control) {
  auto* self = static_cast<FakeInstance*>(panelFuncsTable().getData(panel, 0));
  self->events.push_back("button " + std::to_string(control));
}

PanelHint word(auto function) { return reinterpret_cast<PanelHint>(function); }

const char* const LABELS[] = {"Cur", "Abs", "Rel", nullptr};

const PanelControl CONTROLS[] = {{1, "Choice", "iPopChoice"},
                                 {2, "Time", "float"},
                                 {3, "Mode", "iChoice"},
                                 {4, "Go", "vButton"},
                                 {0, nullptr, nullptr}};
const PanelDataDesc DATA[] = {{1, "", "integer"}, {2, "", "float"}, {0, nullptr, nullptr}};

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const PanelFuncs& funcs = *static_cast<const PanelFuncs*>(ServiceHost::lookup()("LWXPanel", 0));
    handle = funcs.create(PANEL_TYPE_VIEW, CONTROLS);
    ASSERT_NE(handle, nullptr);
    const PanelHint hints[] = {HINT_CHANGE_NOTIFY,
                               word(fakeNotify),
                               HINT_POPUP_FUNCS,
                               1,
                               word(fakeCount),
                               word(fakeName),
                               HINT_STRING_LIST,
                               3,
                               word(LABELS),
                               0,
                               HINT_BUTTON_CLICK,
                               4,
                               word(fakeButton),
                               HINT_BUTTON_LAYOUT,
                               4,
                               0,
                               HINT_CONTROL_LAYOUT,
                               1,
                               HINT_END};
    funcs.describe(handle, DATA, fakeGet, fakeSet);
    funcs.hint(handle, 0, hints);
    funcs.viewInstance(handle, reinterpret_cast<Instance>(&instance));
    funcs.setData(handle, 1, &names);
    funcs.setData(handle, 0, &instance);
    panel = host.panel(handle);
    ASSERT_NE(panel, nullptr);
  }

  Scene scene;
  ServiceHost host{scene};
  FakeInstance instance;
  std::vector<std::string> names = {"(none)", "First", "Second"};
  PanelHandle handle = nullptr;
  HostPanel* panel = nullptr;
};

TEST_F(PanelTest, KeepsWhatTheModuleDescribed) {
  EXPECT_EQ(panel->type(), PANEL_TYPE_VIEW);
  ASSERT_EQ(panel->controls().size(), 4u);
  EXPECT_EQ(panel->controls()[2].label, "Mode");
  EXPECT_EQ(panel->controls()[3].controlClass, "vButton");
  ASSERT_EQ(panel->dataDescription().size(), 2u);
  EXPECT_EQ(panel->dataInfo(2)->dataType, "float");
  EXPECT_EQ(panel->dataInfo(4), nullptr);
  EXPECT_EQ(panel->instance(), reinterpret_cast<Instance>(&instance));
  EXPECT_EQ(panel->data(1), &names);
  EXPECT_EQ(panel->data(9), nullptr);
}

TEST_F(PanelTest, HintArrayBindsEveryTag) {
  EXPECT_EQ(panel->notifyFunction(), &fakeNotify);
  ASSERT_NE(panel->popup(1), nullptr);
  EXPECT_EQ(panel->popup(1)->count, &fakeCount);
  EXPECT_EQ(panel->popup(1)->name, &fakeName);
  EXPECT_EQ(panel->popup(3), nullptr);
  ASSERT_NE(panel->stringList(3), nullptr);
  EXPECT_EQ(*panel->stringList(3), (std::vector<std::string>{"Cur", "Abs", "Rel"}));
  EXPECT_EQ(panel->button(4), &fakeButton);
  EXPECT_EQ(panel->button(1), nullptr);
  ASSERT_EQ(panel->controlHints().size(), 2u);
  EXPECT_EQ(panel->controlHints()[0].tag, HINT_BUTTON_LAYOUT);
  EXPECT_EQ(panel->controlHints()[0].id, 4u);
  EXPECT_EQ(panel->controlHints()[1].tag, HINT_CONTROL_LAYOUT);
  EXPECT_EQ(panel->controlHints()[1].id, 1u);
  EXPECT_TRUE(panel->unknownHints().empty());
}

TEST_F(PanelTest, UnknownTagStopsParsing) {
  const PanelHint hints[] = {HINT_CONTROL_LAYOUT, 7, 0x3D999999, 5, HINT_CONTROL_LAYOUT, 8, HINT_END};
  panel->hint(hints);
  EXPECT_EQ(panel->unknownHints(), std::vector<PanelHint>{0x3D999999});
  ASSERT_EQ(panel->controlHints().size(), 3u);
  EXPECT_EQ(panel->controlHints()[2].id, 7u);
}

TEST_F(PanelTest, ValuesGoThroughGetAndSet) {
  EXPECT_EQ(panel->intValue(1), 2);
  EXPECT_EQ(panel->floatValue(2), 0.5);
  instance.hideChoice = true;
  EXPECT_EQ(panel->value(1), std::nullopt);
  instance.hideChoice = false;
  EXPECT_THROW(panel->value(4), std::logic_error);  // a button has no data description
  EXPECT_THROW(panel->floatValue(1), std::logic_error);

  // A set the module accepts is followed by a value-changed notification.
  EXPECT_EQ(panel->set(2, 1.25), 1);
  EXPECT_EQ(instance.time, 1.25);
  // An integer given for a float value is converted, not reinterpreted.
  EXPECT_EQ(panel->set(2, std::int32_t{3}), 1);
  EXPECT_EQ(instance.time, 3.0);
  EXPECT_EQ(panel->set(1, 2.9), 1);
  EXPECT_EQ(instance.choice, 2);
  // A refused set sends no notification.
  EXPECT_EQ(panel->set(4, std::int32_t{1}), 0);
  EXPECT_EQ(panel->focus(), 14);
  EXPECT_EQ(instance.events,
            (std::vector<std::string>{"notify 2 2 2", "notify 2 2 2", "notify 1 1 2", "notify 0 0 4"}));
}

TEST_F(PanelTest, PopupsAndButtonsGetTheirBoundData) {
  EXPECT_EQ(panel->popupCount(1), 3);
  EXPECT_EQ(panel->popupName(1, 2), "Second");
  EXPECT_EQ(panel->popupEntries(1), names);
  EXPECT_THROW(panel->popupName(1, 3), std::logic_error);  // the name function gave null
  EXPECT_THROW(panel->popupCount(3), std::logic_error);
  panel->press(4);
  EXPECT_EQ(instance.events, std::vector<std::string>{"button 4"});
  EXPECT_THROW(panel->press(1), std::logic_error);
}

TEST_F(PanelTest, ServiceCallsAreRecordedAndDestroyKeepsThePanel) {
  const PanelFuncs& funcs = panelFuncsTable();
  EXPECT_EQ(funcs.refresh(handle), 1);
  EXPECT_EQ(panel->refreshCount(), 1);
  funcs.destroy(handle);
  EXPECT_TRUE(panel->destroyed());
  EXPECT_EQ(host.panels().size(), 1u);
  // A handle that is not one of the host's panels is ignored.
  int notAPanel = 0;
  EXPECT_EQ(funcs.refresh(reinterpret_cast<PanelHandle>(&notAPanel)), 0);
  EXPECT_EQ(funcs.getData(reinterpret_cast<PanelHandle>(&notAPanel), 0), nullptr);
  EXPECT_EQ(host.calls().entries(),
            (std::vector<std::string>{"lookup LWXPanel", "panel.create 1", "panel.describe", "panel.hint 0",
                                      "panel.viewInstance", "panel.setData 1", "panel.setData 0", "panel.refresh",
                                      "panel.destroy", "panel.refresh", "panel.getData 0"}));
}

TEST(PanelDataTest, IdZeroFallsBackToTheViewedInstance) {
  HostPanel panel(PANEL_TYPE_VIEW, nullptr);
  int instance = 0;
  EXPECT_EQ(panel.data(0), nullptr);
  panel.viewInstance(reinterpret_cast<Instance>(&instance));
  EXPECT_EQ(panel.data(0), &instance);
  int other = 0;
  panel.setData(0, &other);
  EXPECT_EQ(panel.data(0), &other);
  EXPECT_TRUE(panel.controls().empty());
}

}  // namespace
}  // namespace kv::host
