#include "platform/headless/HeadlessHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/MidiPlayer.h"

namespace {

using platform::headless::HeadlessHost;
using platform::headless::TimedSource;

// What the handlers saw, as "name@ms".
std::vector<std::string> events;

void Note(HeadlessHost& host, const std::string& name) {
  events.push_back(name + "@" + std::to_string(host.Milliseconds()));
}

HeadlessHost* procHost = nullptr;
void LoggingProc(platform::WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) {
  Note(*procHost, "msg" + std::to_string(message));
}

class HeadlessHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    procHost = &host;
    std::uint32_t error = 0;
    ASSERT_TRUE(host.RegisterWindowClass("Log", LoggingProc, &error));
    window = host.CreateHiddenWindow("Log");
    ASSERT_NE(window, 0u);
  }

  HeadlessHost host{"/game"};
  platform::WindowHandle window = 0;
};

TEST_F(HeadlessHostTest, TimersFireEveryIntervalFromWhenEnabled) {
  struct Case {
    std::uint32_t interval;
    std::uint64_t enableAtMs;
    std::uint64_t runToMs;
    std::vector<std::string> fired;
  } cases[] = {
      {10, 0, 35, {"t@10", "t@20", "t@30"}},
      {10, 7, 37, {"t@17", "t@27", "t@37"}},
      {0, 0, 3, {"t@1", "t@2", "t@3"}},  // 0 is clamped to 1 ms
  };
  for (const auto& c : cases) {
    HeadlessHost fresh{"/"};
    events.clear();
    auto timer = fresh.CreateTimer(c.interval, false, [&] { Note(fresh, "t"); });
    fresh.AdvanceMs(c.enableAtMs);
    timer->SetEnabled(true);
    fresh.AdvanceTo(c.runToMs * 1000);
    EXPECT_EQ(events, c.fired) << "interval " << c.interval;
    EXPECT_EQ(fresh.NowMicros(), c.runToMs * 1000);
  }
}

TEST_F(HeadlessHostTest, TimersDueTogetherFireInCreationOrder) {
  auto a = host.CreateTimer(10, true, [&] { Note(host, "a"); });
  auto b = host.CreateTimer(5, true, [&] { Note(host, "b"); });
  auto c = host.CreateTimer(10, true, [&] { Note(host, "c"); });
  host.AdvanceMs(10);
  EXPECT_EQ(events, (std::vector<std::string>{"b@5", "a@10", "b@10", "c@10"}));
}

TEST_F(HeadlessHostTest, HandlersEnableAndDisableTimers) {
  std::unique_ptr<platform::Timer> later, restarted, steady, self;
  auto first = host.CreateTimer(10, true, [&] {
    Note(host, "first");
    later->SetEnabled(false);     // due at this same instant: must not fire
    restarted->SetEnabled(false);  // and on again: counts from now
    restarted->SetEnabled(true);
    steady->SetEnabled(true);  // already on: unchanged
  });
  later = host.CreateTimer(10, true, [&] { Note(host, "later"); });
  restarted = host.CreateTimer(15, true, [&] { Note(host, "restarted"); });
  steady = host.CreateTimer(15, true, [&] { Note(host, "steady"); });
  self = host.CreateTimer(4, true, [&] {
    Note(host, "self");
    self.reset();  // a handler may destroy its own timer
  });
  host.AdvanceMs(10);
  first->SetEnabled(false);
  host.AdvanceMs(20);
  EXPECT_EQ(events, (std::vector<std::string>{"self@4", "first@10", "steady@15", "restarted@25",
                                              "steady@30"}));
  EXPECT_FALSE(later->Enabled());
  EXPECT_TRUE(restarted->Enabled());
  EXPECT_EQ(restarted->Interval(), 15u);
}

TEST_F(HeadlessHostTest, MessagesPostedByHandlersRunBeforeTheNextTimer) {
  auto a = host.CreateTimer(10, true, [&] {
    Note(host, "a");
    host.Post(window, 1, 0, 0);
    host.Post(window, 2, 0, 0);
  });
  auto b = host.CreateTimer(10, true, [&] { Note(host, "b"); });
  host.Post(window, 0, 0, 0);
  host.AdvanceMs(10);
  EXPECT_EQ(events, (std::vector<std::string>{"msg0@0", "a@10", "msg1@10", "msg2@10", "b@10"}));
}

// Reports a fixed list of instants.
class ScriptedSource : public TimedSource {
 public:
  ScriptedSource(HeadlessHost& host, std::vector<std::uint64_t> at) : host_(host), at_(std::move(at)) {}
  std::uint64_t NextEventMicros() const override {
    return next_ < at_.size() ? at_[next_] : UINT64_MAX;
  }
  void RunDue(std::uint64_t nowMicros) override {
    EXPECT_EQ(nowMicros, host_.NowMicros());
    ++next_;
    Note(host_, "src");
  }

 private:
  HeadlessHost& host_;
  std::vector<std::uint64_t> at_;
  std::size_t next_ = 0;
};

TEST_F(HeadlessHostTest, TimedSourcesInterleaveWithTimersAndWinTies) {
  ScriptedSource source(host, {2500, 10000, 12500, 40000});
  auto timer = host.CreateTimer(10, true, [&] { Note(host, "t"); });
  host.AddTimedSource(&source);
  host.AdvanceMs(20);
  host.RemoveTimedSource(&source);
  host.AdvanceMs(30);
  EXPECT_EQ(events, (std::vector<std::string>{"src@2", "src@10", "t@10", "src@12", "t@20",
                                              "t@30", "t@40", "t@50"}));
}

TEST_F(HeadlessHostTest, MessagesForDestroyedWindowsAreDropped) {
  platform::WindowHandle other = host.CreateHiddenWindow("Log");
  ASSERT_NE(other, window);
  host.Post(window, 1, 0, 0);
  host.Post(other, 2, 0, 0);
  host.DestroyHiddenWindow(window);
  EXPECT_FALSE(host.Post(window, 3, 0, 0));
  EXPECT_FALSE(host.Post(0, 3, 0, 0));
  host.DispatchPosted();
  EXPECT_EQ(events, (std::vector<std::string>{"msg2@0"}));
}

TEST_F(HeadlessHostTest, PostMessageFromAnotherThread) {
  std::thread poster([&] {
    for (int i = 0; i < 1000; ++i) host.Post(window, 7, 0, 0);
  });
  poster.join();
  host.Run();
  EXPECT_EQ(events.size(), 1000u);
}

TEST_F(HeadlessHostTest, WindowClassRules) {
  std::uint32_t error = 0;
  EXPECT_FALSE(host.RegisterWindowClass("Log", LoggingProc, &error));
  EXPECT_EQ(error, platform::kErrorClassAlreadyExists);
  EXPECT_EQ(host.CreateHiddenWindow("Nope"), 0u);
  EXPECT_TRUE(host.RegisterWindowClass("Other", LoggingProc, &error));
  EXPECT_NE(host.CreateHiddenWindow("Other"), 0u);
}

TEST_F(HeadlessHostTest, MainWindowCloseQueryAndInput) {
  auto& main = host.Main();
  main.SetCaption("ミルタスチャレンジ");
  main.SetClientSize(640, 480);
  EXPECT_EQ(host.Caption(), "ミルタスチャレンジ");
  EXPECT_EQ(host.ClientWidth(), 640);
  EXPECT_EQ(host.ClientHeight(), 480);

  int presses = 0, keys = 0;
  main.onMouseDown = [&](int x, int y, platform::MouseButton) {
    ++presses;
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
    host.Post(window, 5, 0, 0);
  };
  main.onKey = [&](platform::Key) { ++keys; };
  bool allow = false;
  main.onCloseQuery = [&] { return allow; };

  host.Press(3, 4, platform::MouseButton::Left);
  EXPECT_EQ(events, (std::vector<std::string>{"msg5@0"}));
  main.Close();
  EXPECT_FALSE(main.Closed());
  allow = true;
  main.Close();
  EXPECT_TRUE(main.Closed());
  host.Press(3, 4, platform::MouseButton::Left);
  host.KeyPress(platform::Key::Space);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(keys, 0);
}

TEST_F(HeadlessHostTest, MessageBoxTracesAndReturns) {
  host.ShowMessageBox("Error", "Can\xB4t \"open\"", platform::BoxIcon::Error);
  ASSERT_EQ(host.Traced().size(), 1u);
  EXPECT_EQ(host.Traced()[0], R"({"box":"Error","text":"Can\u00b4t \"open\""})");

  std::vector<std::string> sunk;
  host.SetTraceSink([&](const std::string& line) { sunk.push_back(line); });
  host.ShowMessageBox("a", "b", platform::BoxIcon::None);
  EXPECT_EQ(sunk, (std::vector<std::string>{R"({"box":"a","text":"b"})"}));
  EXPECT_EQ(host.Traced().size(), 1u);
}

TEST_F(HeadlessHostTest, ClockAndFolder) {
  host.AdvanceTo(1999);
  EXPECT_EQ(host.Milliseconds(), 1u);
  host.AdvanceTo((std::uint64_t{1} << 32) * 1000 + 5000);  // the clock wraps
  EXPECT_EQ(host.Milliseconds(), 5u);
  EXPECT_EQ(host.ProgramFolder(), "/game/");
  {
    HeadlessHost other{"/x/"};
    EXPECT_EQ(other.ProgramFolder(), "/x/");
    EXPECT_EQ(other.ConfigFolder(), "/x/");
  }
}

TEST_F(HeadlessHostTest, MidiPlayerChecksTheFileAndTracesPlay) {
  std::string dir = ::testing::TempDir();
  std::string good = dir + "kuvol.mid", bad = dir + "bad.mid";
  std::ofstream(good, std::ios::binary) << "MThd";
  std::ofstream(bad, std::ios::binary) << "RIFF....";

  auto player = host.CreateMidiPlayer();
  player->SetFileName(good);
  player->Open();
  player->Play();
  EXPECT_EQ(host.Traced(), (std::vector<std::string>{R"({"music":"kuvol.mid"})"}));

  for (const std::string& path : {bad, dir + "missing.mid", std::string()}) {
    player->SetFileName(path);
    EXPECT_THROW(player->Open(), std::runtime_error) << path;
    player->Play();  // the failed open closed the piece opened before
  }
  EXPECT_EQ(host.Traced().size(), 1u);
}

}  // namespace
