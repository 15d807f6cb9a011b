// The SDL event loop with real windows and real time, on SDL's dummy video
// driver (run with SDL_VIDEODRIVER=x11 on a display to watch it). Each test
// ends itself by closing the main window from a handler, with a long safety
// timer in case the behaviour under test never comes.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/Host.h"
#include "platform/Picture.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlProbe.h"
#include "platform/sdl/SdlWaveOut.h"

namespace platform::sdl {
namespace {

// The host under test, for window procedures that have no other way to it.
Host* loopHost = nullptr;

class SdlHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    host = CreateSdlHost("/tmp/");
    loopHost = host.get();
    // Nothing here should take this long; if it does, the test fails rather
    // than hangs.
    safety = host->CreateTimer(3000, true, [this] {
      timedOut = true;
      host->Main().Close();
    });
  }
  void TearDown() override {
    safety.reset();
    host.reset();
    loopHost = nullptr;
  }

  std::unique_ptr<Host> host;
  std::unique_ptr<Timer> safety;
  bool timedOut = false;
};

TEST_F(SdlHostTest, TimersFireOnScheduleInCreationOrderAndOnlyWhileEnabled) {
  std::vector<int> order;
  std::vector<std::uint32_t> firstFires;
  const std::uint32_t start = host->Milliseconds();
  std::uint32_t enabledAt = 0;
  std::vector<std::uint32_t> lateFires;
  std::unique_ptr<Timer> late;
  auto never = host->CreateTimer(20, false, [&] { order.push_back(99); });
  auto first = host->CreateTimer(20, true, [&] {
    order.push_back(1);
    firstFires.push_back(host->Milliseconds());
    if (firstFires.size() == 3) {
      enabledAt = host->Milliseconds();
      late->SetEnabled(true);
    }
    // A slow handler: the ticks it made late come once, not piled up.
    if (firstFires.size() == 6) std::this_thread::sleep_for(std::chrono::milliseconds(70));
    if (firstFires.size() == 12) host->Main().Close();
  });
  auto second = host->CreateTimer(20, true, [&] { order.push_back(2); });
  late = host->CreateTimer(30, false, [&] {
    lateFires.push_back(host->Milliseconds());
    if (lateFires.size() == 2) late->SetEnabled(false);
  });

  EXPECT_EQ(host->Run(), 0);
  ASSERT_FALSE(timedOut);

  // Same interval, created in this order: they take turns, first leading.
  ASSERT_GE(order.size(), 23u);
  for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i % 2 == 0 ? 1 : 2) << "at " << i;
  // Never early: the k-th tick comes no sooner than k intervals after start.
  for (std::size_t k = 0; k < firstFires.size(); ++k) EXPECT_GE(firstFires[k] - start, 20 * (k + 1));
  // The stall of 70 ms from the 6th tick cost at least two whole periods,
  // skipped rather than made up in a burst; the phase stays on the 20 ms grid.
  EXPECT_GE(firstFires[11] - start, 20u * 14);
  ASSERT_EQ(lateFires.size(), 2u);
  EXPECT_GE(lateFires[0] - enabledAt, 30u);
  EXPECT_GE(lateFires[1] - lateFires[0], 1u);
  EXPECT_FALSE(late->Enabled());
  EXPECT_EQ(late->Interval(), 30u);
}

struct Received {
  WindowHandle window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  std::thread::id thread;
};
std::vector<Received> received;

void RecordingProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  received.push_back({window, message, wParam, lParam, std::this_thread::get_id()});
  if (message == 0x400 && wParam == 99) loopHost->Main().Close();
}

TEST_F(SdlHostTest, MessagesPostedFromAnotherThreadReachTheProcedureOnTheLoopThreadInOrder) {
  received.clear();
  std::uint32_t error = 0;
  ASSERT_TRUE(host->RegisterWindowClass("Recorder", RecordingProc, &error));
  EXPECT_FALSE(host->RegisterWindowClass("Recorder", RecordingProc, &error));
  EXPECT_EQ(error, kErrorClassAlreadyExists);
  EXPECT_EQ(host->CreateHiddenWindow("NoSuchClass"), 0u);
  const WindowHandle window = host->CreateHiddenWindow("Recorder");
  const WindowHandle gone = host->CreateHiddenWindow("Recorder");
  ASSERT_NE(window, 0u);
  ASSERT_NE(gone, window);

  // Posted before its window goes: dropped, not delivered to a stranger.
  ASSERT_TRUE(host->Post(gone, 0x400, 1, 1));
  host->DestroyHiddenWindow(gone);
  EXPECT_FALSE(host->Post(gone, 0x400, 1, 1));

  std::thread poster([&] {
    for (std::uintptr_t i = 0; i < 100; ++i) host->Post(window, 0x400, i, -std::intptr_t(i) - 1);
  });
  poster.join();

  EXPECT_EQ(host->Run(), 0);
  ASSERT_FALSE(timedOut);
  ASSERT_EQ(received.size(), 100u);
  for (std::size_t i = 0; i < received.size(); ++i) {
    EXPECT_EQ(received[i].window, window);
    EXPECT_EQ(received[i].message, 0x400u);
    EXPECT_EQ(received[i].wParam, i);
    EXPECT_EQ(received[i].lParam, -std::intptr_t(i) - 1);
    EXPECT_EQ(received[i].thread, std::this_thread::get_id());
  }
}

// A box opened by a timer handler: the loop inside it keeps the other timers
// and posted messages going, keeps input away from the main window, and
// ends when a key confirms the box.
TEST_F(SdlHostTest, MessageBoxRunsTheLoopUntilConfirmed) {
  received.clear();
  ASSERT_TRUE(host->RegisterWindowClass("Recorder", RecordingProc, nullptr));
  const WindowHandle window = host->CreateHiddenWindow("Recorder");
  int pressesSeen = 0, keysSeen = 0, ticksDuringBox = 0;
  bool boxReturned = false;
  std::size_t receivedBeforeReturn = 0;
  host->Main().onMouseDown = [&](int, int, MouseButton) { ++pressesSeen; };
  host->Main().onKey = [&](Key) { ++keysSeen; };

  std::unique_ptr<Timer> opener;
  opener = host->CreateTimer(20, true, [&] {
    opener->SetEnabled(false);
    host->ShowMessageBox("ミルタスちゃん", "ファイルが開けません。\n二行目", BoxIcon::Error);
    boxReturned = true;
    receivedBeforeReturn = received.size();
    host->Main().Close();
  });
  auto ticker = host->CreateTimer(20, true, [&] {
    if (ProbeOpenBoxes(*host) != 1) return;
    ++ticksDuringBox;
    if (ticksDuringBox == 2) host->Post(window, 0x401, 7, 8);
    if (ticksDuringBox == 3) PushMouseDown(*host, 100, 100, MouseButton::Left);
    if (ticksDuringBox == 5) PushKeyPress(*host, Key::Enter);
  });

  EXPECT_EQ(host->Run(), 0);
  ASSERT_FALSE(timedOut);
  EXPECT_TRUE(boxReturned);
  EXPECT_EQ(ticksDuringBox, 5);
  EXPECT_EQ(receivedBeforeReturn, 1u);
  EXPECT_EQ(pressesSeen, 0);
  EXPECT_EQ(keysSeen, 0);
  EXPECT_EQ(ProbeOpenBoxes(*host), 0);
}

// The size of the open box's window, titled `caption`, taken while it
// waits; the box is then confirmed.
std::pair<int, int> BoxWindowSize(Host& host, const char* caption) {
  std::pair<int, int> size{0, 0};
  auto ticker = host.CreateTimer(20, true, [&] {
    if (ProbeOpenBoxes(host) != 1 || size.first) return;
    for (std::uint32_t id = 1; id < 64; ++id) {
      SDL_Window* window = SDL_GetWindowFromID(id);
      if (window && std::string(SDL_GetWindowTitle(window)) == caption) SDL_GetWindowSize(window, &size.first, &size.second);
    }
    PushKeyPress(host, Key::Enter);
  });
  host.ShowMessageBox(caption, "保存できません", BoxIcon::Error, {"OK", "保存せずに終了"});
  return size;
}

// A box grows with the main window's factor: at 2 its window is twice the
// size it has at 1, the box's picture filling it.
TEST_F(SdlHostTest, BoxWindowGrowsWithTheFactor) {
  const std::pair<int, int> single = BoxWindowSize(*host, "箱1");
  safety.reset();
  host.reset();
  host = CreateSdlHost("/tmp/", 2);
  const std::pair<int, int> doubled = BoxWindowSize(*host, "箱2");
  ASSERT_GT(single.first, 0);
  EXPECT_EQ(doubled, std::make_pair(2 * single.first, 2 * single.second));
}

// The fatal start-up error is shown before the main window ever is.
TEST_F(SdlHostTest, MessageBoxWorksBeforeTheLoopRuns) {
  int ticks = 0;
  auto confirmer = host->CreateTimer(20, true, [&] {
    if (++ticks == 3) PushKeyPress(*host, Key::Space);
  });
  host->ShowMessageBox("Error", "Cannot open the wave output device.", BoxIcon::Error);
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(ProbeMainWindow(*host).shown);
}

// A stop request (a signal) answers an open two-button box with its default
// and ends Run without asking the window; arrow keys never answer a box.
TEST_F(SdlHostTest, StopRequestEndsBoxAndLoopWithoutTheCloseQuery) {
  bool stop = false;
  int queries = 0, answer = -1, ticks = 0;
  host->SetStopCheck([&] { return stop; });
  host->Main().onCloseQuery = [&] { return ++queries > 0; };
  std::unique_ptr<Timer> opener;
  opener = host->CreateTimer(20, true, [&] {
    opener->SetEnabled(false);
    answer = host->ShowMessageBox("ミルタスちゃん", "保存できません", BoxIcon::Error, {"OK", "保存せずに終了"});
  });
  auto ticker = host->CreateTimer(20, true, [&] {
    if (ProbeOpenBoxes(*host) != 1) return;
    if (++ticks == 2) PushKeyPress(*host, Key::Right);
    if (ticks == 4) stop = true;
  });
  EXPECT_EQ(host->Run(), 0);
  ASSERT_FALSE(timedOut);
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(queries, 0);
  EXPECT_FALSE(host->Main().Closed());
}

TEST_F(SdlHostTest, RefusedCloseKeepsTheLoopRunningUntilAnAcceptedOne) {
  int queries = 0, ticks = 0;
  host->Main().onCloseQuery = [&] { return ++queries >= 2; };
  auto ticker = host->CreateTimer(20, true, [&] {
    ++ticks;
    if (ticks == 1 || ticks == 5) PushCloseRequest(*host);
  });

  EXPECT_EQ(host->Run(), 0);
  ASSERT_FALSE(timedOut);
  EXPECT_EQ(queries, 2);
  EXPECT_GE(ticks, 5);
  EXPECT_TRUE(host->Main().Closed());
  EXPECT_FALSE(ProbeMainWindow(*host).shown);
}

// The window shows the picture 1:1 with the form's grey beyond it; presses
// count only on the picture, Space, Enter and M reach onKey.
// Muting silences every SDL wave-out of the process, music included.
TEST_F(SdlHostTest, MuteReachesTheSoundCard) {
  host->SetMuted(true);
  EXPECT_TRUE(SoundMuted());
  host->SetMuted(false);
  EXPECT_FALSE(SoundMuted());
}

// A gamepad: the d-pad and the left stick give Left and Right once per push,
// A gives PadSouth, other buttons nothing; with a box open, nothing at all.
TEST_F(SdlHostTest, GamepadGivesSidesAndSouthOncePerPush) {
  std::vector<Key> keys;
  host->Main().onKey = [&](Key key) { keys.push_back(key); };
  int ticks = 0;
  auto driver = host->CreateTimer(20, true, [&] {
    switch (++ticks) {
      case 1:
        PushPadButton(*host, SDL_CONTROLLER_BUTTON_A);
        PushPadButton(*host, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        PushPadButton(*host, SDL_CONTROLLER_BUTTON_B);
        PushPadButton(*host, SDL_CONTROLLER_BUTTON_START);
        PushPadStick(*host, 9000);    // not far enough
        PushPadStick(*host, 20000);   // right
        PushPadStick(*host, 30000);   // still right
        PushPadStick(*host, 0);
        PushPadStick(*host, -20000);  // left
        PushPadStick(*host, 0);
        break;
      case 2: {
        int boxTicks = 0;
        auto inBox = host->CreateTimer(20, true, [&] {
          if (++boxTicks == 1) {
            PushPadButton(*host, SDL_CONTROLLER_BUTTON_A);
            PushPadButton(*host, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
          }
          if (boxTicks == 3) PushKeyPress(*host, Key::Enter);
        });
        host->ShowMessageBox("箱", "どきゅん！！", BoxIcon::None);
        break;
      }
      case 3:
        host->Main().Close();
        break;
    }
  });
  EXPECT_EQ(host->Run(), 0);
  ASSERT_FALSE(timedOut);
  EXPECT_EQ(keys, (std::vector<Key>{Key::PadSouth, Key::Left, Key::Right, Key::Left}));
}

TEST_F(SdlHostTest, MainWindowShowsThePictureAndDeliversInput) {
  Picture picture(400, 300);
  picture.SetPen(Color{255, 234, 255});
  picture.SetBrush(Color{255, 234, 255});
  picture.Rectangle(0, 0, 400, 300);
  MainWindow& main = host->Main();
  main.SetCaption("ミルタスチャレンジ");
  main.SetClientSize(401, 301);
  main.SetPicture(&picture);

  struct Press {
    int x, y;
    MouseButton button;
  };
  std::vector<Press> presses;
  std::vector<Key> keys;
  main.onMouseDown = [&](int x, int y, MouseButton button) { presses.push_back({x, y, button}); };
  main.onKey = [&](Key key) { keys.push_back(key); };

  MainWindowState laidOut, final;
  Color inside, beyond, afterChange;
  int ticks = 0;
  auto driver = host->CreateTimer(20, true, [&] {
    switch (++ticks) {
      case 1:
        laidOut = ProbeMainWindow(*host);
        inside = ProbeMainWindowPixel(*host, 10, 10);
        beyond = ProbeMainWindowPixel(*host, 400, 300);
        PushMouseDown(*host, 0, 0, MouseButton::Left);
        PushMouseDown(*host, 399, 299, MouseButton::Right);
        PushMouseDown(*host, 200, 150, MouseButton::Middle);
        PushMouseDown(*host, 400, 10, MouseButton::Left);
        PushMouseDown(*host, 10, 300, MouseButton::Left);
        PushKeyPress(*host, Key::Space);
        PushKeyPress(*host, Key::Enter);
        PushKeyPress(*host, Key::M);
        break;
      case 2:
        // Drawing after an event shows without being asked for.
        picture.SetBrush(Color{0, 0, 255});
        picture.Rectangle(0, 0, 20, 20);
        break;
      case 3:
        afterChange = ProbeMainWindowPixel(*host, 10, 10);
        main.SetClientSize(400, 300);
        break;
      case 4:
        final = ProbeMainWindow(*host);
        main.Close();
        break;
    }
  });

  EXPECT_EQ(host->Run(), 0);
  ASSERT_FALSE(timedOut);
  EXPECT_TRUE(laidOut.shown);
  EXPECT_EQ(laidOut.title, "ミルタスチャレンジ");
  EXPECT_EQ(laidOut.clientWidth, 401);
  EXPECT_EQ(laidOut.clientHeight, 301);
  EXPECT_EQ(inside, (Color{255, 234, 255}));
  EXPECT_EQ(beyond, (Color{240, 240, 240}));
  EXPECT_EQ(afterChange, (Color{0, 0, 255}));
  EXPECT_EQ(final.clientWidth, 400);
  EXPECT_EQ(final.clientHeight, 300);

  ASSERT_EQ(presses.size(), 3u);
  EXPECT_EQ(presses[0].x, 0);
  EXPECT_EQ(presses[0].button, MouseButton::Left);
  EXPECT_EQ(presses[1].x, 399);
  EXPECT_EQ(presses[1].y, 299);
  EXPECT_EQ(presses[1].button, MouseButton::Right);
  EXPECT_EQ(presses[2].button, MouseButton::Middle);
  EXPECT_EQ(keys, (std::vector<Key>{Key::Space, Key::Enter, Key::M}));
}

}  // namespace
}  // namespace platform::sdl
