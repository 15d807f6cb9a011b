// The Windows backend's own parts, run under wine: the record's atomic
// replace on Unicode paths, GDI text with the shipped face, the host's real
// window classes and posted messages, its scaled window and its boxes, and
// the console's quit requests.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Host.h"
#include "platform/PlainFile.h"
#include "platform/Signals.h"
#include "platform/WaveOut.h"
#include "platform/win32/ConsoleControl.h"
#include "platform/win32/GdiText.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Host.h"
#include "platform/win32/XInputPad.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

class ScratchFolder : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / fs::path(u8"kesto-記録-テスト");
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder_, ignored))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(folder_, ignored);
  }
  std::string Utf8(const fs::path& path) const {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  }
  fs::path folder_;
};

TEST_F(ScratchFolder, ReplaceWritesAndReplacesUnderAJapanesePath) {
  const fs::path record = folder_ / fs::path(u8"my記録.dat");
  platform::ReplaceFileAtomically(Utf8(record), "first\r\n");
  EXPECT_EQ(ReadBytes(record), "first\r\n");
  platform::ReplaceFileAtomically(Utf8(record), "0\r\n12\r\n");
  EXPECT_EQ(ReadBytes(record), "0\r\n12\r\n");
  EXPECT_FALSE(fs::exists(fs::path(record).concat(".tmp")));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

// The temporary file has a name of its own: a file at the name an older game
// used (my.dat.tmp) is neither written nor moved, and nothing else is left.
TEST_F(ScratchFolder, ReplaceUsesATemporaryNameOfItsOwn) {
  const fs::path record = folder_ / "my.dat";
  std::ofstream(fs::path(record).concat(".tmp"), std::ios::binary) << "someone else's";
  platform::ReplaceFileAtomically(Utf8(record), "first");
  platform::ReplaceFileAtomically(Utf8(record), "second");
  EXPECT_EQ(ReadBytes(record), "second");
  EXPECT_EQ(ReadBytes(fs::path(record).concat(".tmp")), "someone else's");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
}

// Two saves at the same moment, many times (two threads released together,
// as two copies of the game closing at once): each succeeds, the record is
// one of the two, whole, and no temporary file is left.
TEST_F(ScratchFolder, TwoSavesAtOnceEachSaveWhole) {
  const std::string record = Utf8(folder_ / "my.dat");
  const std::string records[2] = {"first copy\r\n41\r\n1\r\n3\r\n4\r\n",
                                  "the second copy of the game\r\n1234\r\n1\r\n56\r\n78\r\n"};
  const int kPairs = 100;
  int whole = 0, torn = 0, refused = 0, leftOver = 0;
  for (int pair = 0; pair < kPairs; ++pair) {
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> savers;
    for (const std::string& bytes : records)
      savers.emplace_back([&, bytes] {
        ++ready;
        while (ready.load() < 2) {
        }
        try {
          platform::ReplaceFileAtomically(record, bytes);
        } catch (const platform::IoError&) {
          ++failures;
        }
      });
    for (std::thread& saver : savers) saver.join();
    const std::string end = ReadBytes(folder_ / "my.dat");
    const bool tore = end != records[0] && end != records[1];
    torn += tore;
    refused += failures.load() > 0;
    whole += !tore && failures.load() == 0;
    leftOver += std::distance(fs::directory_iterator(folder_), fs::directory_iterator()) != 1;
  }
  std::cout << kPairs << " pairs saving at once: " << whole << " whole, " << torn << " torn, " << refused
            << " refused; temporary files left after " << leftOver << '\n';
  EXPECT_EQ(whole, kPairs);
  EXPECT_EQ(leftOver, 0);
}

TEST_F(ScratchFolder, ReadOnlyRecordStaysAndTheErrorNamesIt) {
  const fs::path record = folder_ / "my.dat";
  std::ofstream(record, std::ios::binary) << "kept";
  fs::permissions(record, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_TRUE(platform::IsReadOnlyFile(Utf8(record)));
  try {
    platform::ReplaceFileAtomically(Utf8(record), "new");
    ADD_FAILURE() << "a read-only record was replaced";
  } catch (const platform::IoError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + Utf8(record) + "\". ", 0), 0u) << e.what();
  }
  EXPECT_EQ(ReadBytes(record), "kept");
}

TEST_F(ScratchFolder, MissingFolderFailsWithTheCreateText) {
  const std::string path = Utf8(folder_ / "gone" / "my.dat");
  try {
    platform::ReplaceFileAtomically(path, "x");
    ADD_FAILURE() << "written into a missing folder";
  } catch (const platform::IoError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + path + "\". ", 0), 0u) << e.what();
  }
}

// Only a regular file is read, with strerror's texts for the rest, and
// never past the size it had at the open.
TEST_F(ScratchFolder, PlainFilesOnlyAndBoundedByTheirSize) {
  const fs::path picture = folder_ / fs::path(u8"絵.bmp");
  std::ofstream(picture, std::ios::binary) << "0123456789";
  fs::create_directories(folder_ / "cg");
  struct Case {
    std::string path;
    std::uint64_t limit;
    const char* reason;  // nullptr: read
  };
  const Case cases[] = {
      {Utf8(picture), 10, nullptr},
      {Utf8(picture), 9, "File too large"},
      {Utf8(folder_ / "cg"), 100, "Is a directory"},
      {"NUL", 100, platform::kNotRegularFile},
      {Utf8(folder_ / "gone.bmp"), 100, "No such file or directory"},
      {Utf8(folder_ / "gone" / "x.bmp"), 100, "No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string reason;
    const std::optional<std::string> bytes = platform::ReadPlainFile(c.path, c.limit, reason);
    if (c.reason) {
      EXPECT_FALSE(bytes);
      EXPECT_EQ(reason, c.reason);
    } else {
      EXPECT_EQ(bytes.value_or("(refused: " + reason + ")"), "0123456789");
    }
  }
  std::string reason;
  const std::unique_ptr<platform::PlainFile> file = platform::PlainFile::Open(Utf8(picture), 100, reason);
  ASSERT_TRUE(file);
  std::ofstream(picture, std::ios::binary | std::ios::app) << "grown";
  char buffer[32] = {};
  EXPECT_EQ(file->ReadAt(6, buffer, sizeof buffer), 4u);
  EXPECT_EQ(std::string(buffer), "6789");
  EXPECT_EQ(file->ReadAt(10, buffer, sizeof buffer), 0u);
}

TEST(ExecutableFolder, EndsWithASeparatorAndHoldsTheProgram) {
  const std::string folder = platform::ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_TRUE(fs::exists(fs::path(platform::win32::Widen(folder)) / "win32_tests.exe"));
}

// The shipped face draws the game's texts: Japanese glyphs have ink, the cell
// is the font's height, bold and italic differ from the plain face.
TEST(GdiText, JapaneseTextHasInkInItsCell) {
  using platform::win32::RasteriseText;
  const auto plain = RasteriseText("49秒", 16, false, false);
  const auto styled = RasteriseText("49秒", 16, true, true);
  ASSERT_GT(plain.width, 20);
  EXPECT_GE(plain.height, 21);  // 16 points at 96 dpi: a 21-pixel em
  EXPECT_EQ(plain.coverage.size(), std::size_t(plain.width) * plain.height);
  int inkInKanji = 0;
  for (int y = 0; y < plain.height; ++y)
    for (int x = plain.width * 2 / 3; x < plain.width; ++x) inkInKanji += plain.coverage[std::size_t(y) * plain.width + x] > 128;
  EXPECT_GT(inkInKanji, 20);
  EXPECT_NE(styled.coverage, plain.coverage);
  EXPECT_EQ(RasteriseText("", 16, false, false).width, 0);
  EXPECT_EQ(platform::BackendTextRasterizer().Rasterize(16, false, false, "49秒").coverage, plain.coverage);
}

// kesto.exe and wavemix.exe carry our icon in every size and the version
// information Explorer shows.
TEST(ProgramResources, IconInEverySizeAndVersionInformation) {
  for (const wchar_t* name : {L"kesto.exe", L"wavemix.exe"}) {
    SCOPED_TRACE(platform::win32::Narrow(name));
    const std::wstring path = platform::win32::Widen(platform::ExecutableFolder()) + name;
    HMODULE program = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    HRSRC group = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const std::uint8_t*>(LockResource(LoadResource(program, group)));
    const int count = directory[4] | directory[5] << 8;
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) sizes.push_back(directory[6 + 14 * i] == 0 ? 256 : directory[6 + 14 * i]);
    EXPECT_EQ(sizes, (std::vector<int>{48, 64, 128, 256}));
    HICON icon = static_cast<HICON>(LoadImageW(program, MAKEINTRESOURCEW(1), IMAGE_ICON, 48, 48, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
    FreeLibrary(program);

    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, DWORD(info.size()), info.data()));
    auto value = [&](const wchar_t* key) {
      wchar_t* text = nullptr;
      UINT length = 0;
      const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
      if (!VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) return std::string();
      return platform::win32::Narrow(std::wstring_view(text, wcsnlen(text, length)));
    };
    EXPECT_EQ(value(L"ProductName"), "kesto");
    EXPECT_EQ(value(L"ProductVersion"), KESTO_VERSION);
    EXPECT_EQ(value(L"FileVersion"), KESTO_VERSION);
    EXPECT_NE(value(L"LegalCopyright").find("the kesto developers"), std::string::npos);
  }
}

struct Received {
  platform::WindowHandle window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  int count = 0;
} received;
void Record(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  received = {window, message, wParam, lParam, received.count + 1};
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// The mixer's window class and hidden window are the system's own: a second
// registration fails with ERROR_CLASS_ALREADY_EXISTS, a posted multimedia
// notice reaches the procedure through the message loop, a destroyed window
// takes no more posts.
TEST(Win32Host, HiddenWindowsAreRealWindows) {
  auto host = platform::win32::CreateWin32Host("C:\\game\\");
  std::uint32_t error = 99;
  ASSERT_TRUE(host->RegisterWindowClass("WavMix32", Record, &error));
  EXPECT_EQ(error, 0u);
  EXPECT_FALSE(host->RegisterWindowClass("WavMix32", Record, &error));
  EXPECT_EQ(error, platform::kErrorClassAlreadyExists);
  EXPECT_EQ(host->CreateHiddenWindow("NoSuchClass"), 0u);

  const platform::WindowHandle window = host->CreateHiddenWindow("WavMix32");
  ASSERT_NE(window, 0u);
  EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(window)));
  EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(window)));
  received = {};
  ASSERT_TRUE(host->Post(window, platform::mm::kWomDone, 7, 1234));
  EXPECT_EQ(received.count, 0);  // posted, not sent
  Pump();
  EXPECT_EQ(received.count, 1);
  EXPECT_EQ(received.window, window);
  EXPECT_EQ(received.message, platform::mm::kWomDone);
  EXPECT_EQ(received.wParam, 7u);
  EXPECT_EQ(received.lParam, 1234);

  host->DestroyHiddenWindow(window);
  EXPECT_FALSE(host->Post(window, platform::mm::kWomDone, 0, 0));
  EXPECT_EQ(host->ProgramFolder(), "C:\\game\\");
  UnregisterClassW(L"WavMix32", GetModuleHandleW(nullptr));
}

// WM_TIMER timers fire on the loop while enabled, and no more once disabled.
TEST(Win32Host, TimersFireThroughTheLoop) {
  auto host = platform::win32::CreateWin32Host("C:\\game\\");
  int fired = 0;
  auto timer = host->CreateTimer(20, true, [&] { ++fired; });
  EXPECT_EQ(timer->Interval(), 20u);
  const DWORD until = GetTickCount() + 2000;
  while (fired < 3 && GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  EXPECT_GE(fired, 3);
  timer->SetEnabled(false);
  const int stopped = fired;
  Sleep(60);
  Pump();
  EXPECT_EQ(fired, stopped);
}

// The gamepad is polled on the host's timer: a fake source plays a pad's
// states, and each push gives its key once; a disabled window (a box is
// open) gets none; the system's XInput, or none, answers without failing.
TEST(Win32Host, GamepadPollGivesSidesAndSouthOncePerPush) {
  auto host = platform::win32::CreateWin32Host("C:\\game\\");
  std::vector<platform::Key> keys;
  host->Main().onKey = [&](platform::Key key) { keys.push_back(key); };
  const std::vector<platform::PadState> states = {
      {}, {false, false, true}, {false, false, true}, {}, {true, false, false}, {true, false, false},
      {}, {false, true, false}, {false, true, true}, {}, {}};
  std::size_t next = 0;
  bool disabled = false;
  platform::win32::SetPadSource(*host, [&](platform::PadState& state) {
    if (next >= states.size()) {
      if (!disabled) {
        disabled = true;
        EnableWindow(FindWindowW(L"KestoMainWindow", nullptr), FALSE);
      }
      state = {true, true, true};
      ++next;
      return true;
    }
    state = states[next++];
    return next % 3 != 0 || state.left || state.right || state.south;  // unplugged now and then
  });
  const DWORD until = GetTickCount() + 3000;
  while (next < states.size() + 5 && GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  EXPECT_EQ(keys, (std::vector<platform::Key>{platform::Key::PadSouth, platform::Key::Left, platform::Key::Right,
                                              platform::Key::PadSouth}));
  platform::PadState state;
  platform::win32::SystemPadSource()(state);
}

// At factor 2 the client area is twice the picture and a press on window
// pixel (2x, 2y) or (2x + 1, 2y + 1) is a press on (x, y). A larger window
// keeps the largest whole factor, centred, and presses on its bars reach
// nobody. F11 fills the monitor without a frame; Alt+Enter gives the window
// back.
TEST(Win32Host, ScaledWindowMapsPressesAndTogglesFullScreen) {
  auto host = platform::win32::CreateWin32Host("C:\\game\\", 2);
  host->Main().SetClientSize(400, 300);
  const HWND window = FindWindowW(L"KestoMainWindow", nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_GE(GetSystemMetrics(SM_CYSCREEN), 768) << "the window at factor 2 needs a screen of 1024 x 768 or more";
  using Size = std::pair<LONG, LONG>;
  const auto client = [&] {
    RECT area{};
    GetClientRect(window, &area);
    return Size{area.right, area.bottom};
  };
  EXPECT_EQ(client(), Size(800, 600));
  std::vector<std::pair<int, int>> presses;
  host->Main().onMouseDown = [&](int x, int y, platform::MouseButton) { presses.push_back({x, y}); };
  const auto press = [&](int x, int y) { SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); };
  press(2 * 10, 2 * 20);
  press(2 * 10 + 1, 2 * 20 + 1);
  press(799, 599);

  RECT frame{0, 0, 1000, 700};
  AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_EQ(client(), Size(1000, 700));
  press(50, 20);                     // the bar above and to the left
  press(100 + 2 * 10, 50 + 2 * 20);  // factor 2 from (100, 50)
  EXPECT_EQ(presses, (std::vector<std::pair<int, int>>{{10, 20}, {10, 20}, {399, 299}, {10, 20}}));

  SendMessageW(window, WM_KEYDOWN, VK_F11, 0);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(client(), Size(monitor.rcMonitor.right - monitor.rcMonitor.left,
                           monitor.rcMonitor.bottom - monitor.rcMonitor.top));
  SendMessageW(window, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);  // Alt+Enter
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(client(), Size(1000, 700));
  EXPECT_FALSE(IsWindowVisible(window));
}

// The buttons of a box window: their captions and whether each caption fits
// its button, in the button's own font.
struct BoxButton {
  HWND window;
  std::wstring caption;
  bool fits;
};
std::vector<BoxButton> ButtonsOf(HWND box) {
  std::vector<BoxButton> found;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM list) -> BOOL {
        wchar_t className[32] = L"", caption[64] = L"";
        GetClassNameW(child, className, 32);
        if (std::wstring_view(className) != L"Button") return TRUE;
        GetWindowTextW(child, caption, 64);
        RECT area{};
        GetClientRect(child, &area);
        HDC dc = GetDC(child);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, caption, int(wcslen(caption)), &extent);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        reinterpret_cast<std::vector<BoxButton>*>(list)->push_back({child, caption, extent.cx < area.right});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// A two-button box shows the captions it was given, each whole on its
// button, and answers the index of the one pressed.
TEST(Win32Host, BoxButtonsCarryTheirCaptionsAndAnswerTheirIndex) {
  auto host = platform::win32::CreateWin32Host("C:\\game\\");
  std::vector<BoxButton> buttons;
  std::unique_ptr<platform::Timer> press;
  press = host->CreateTimer(50, true, [&] {
    const HWND box = FindWindowW(nullptr, L"選ぶ箱");
    if (!box) return;
    buttons = ButtonsOf(box);
    for (const BoxButton& button : buttons)
      if (button.caption == L"保存せずに終了") PostMessageW(button.window, BM_CLICK, 0, 0);
    press->SetEnabled(false);
  });
  EXPECT_EQ(host->ShowMessageBox("選ぶ箱", "text", platform::BoxIcon::Error, {"OK", "保存せずに終了"}), 1);
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].caption, L"OK");
  EXPECT_EQ(buttons[1].caption, L"保存せずに終了");
  for (const BoxButton& button : buttons) EXPECT_TRUE(button.fits) << "cut: " << platform::win32::Narrow(button.caption);
}

// A stop request answers an open box with its first button and ends the
// loop without the close query; once requested, boxes return at once.
TEST(Win32Host, StopRequestAnswersTheBoxAndEndsTheLoop) {
  auto host = platform::win32::CreateWin32Host("C:\\game\\");
  bool stop = false;
  host->SetStopCheck([&] { return stop; });
  int queries = 0;
  host->Main().onCloseQuery = [&] { return ++queries, true; };
  auto request = host->CreateTimer(100, true, [&] { stop = true; });
  EXPECT_EQ(host->ShowMessageBox("止める箱", "text", platform::BoxIcon::None, {"OK", "保存せずに終了"}), 0);
  EXPECT_EQ(FindWindowW(nullptr, L"止める箱"), nullptr);
  EXPECT_EQ(host->ShowMessageBox("次の箱", "text", platform::BoxIcon::None), 0);
  stop = false;
  request->SetEnabled(false);
  request = host->CreateTimer(100, true, [&] { stop = true; });
  EXPECT_EQ(host->Run(), 0);
  EXPECT_EQ(queries, 0);
  EXPECT_FALSE(host->Main().Closed());
}

}  // namespace

namespace {

// The console's control events are quit requests as the POSIX signals are:
// each is recorded and wakes the thread that caught them; after those that
// end the process the handler holds on until released. A host whose stop
// check is the signal leaves its loop at the console's close.
TEST(QuitSignals, ConsoleEventsAreQuitRequestsThatWakeTheLoop) {
  platform::CatchQuitSignals();
  const struct {
    DWORD event;
    int signal;
    bool holds;
  } cases[] = {{CTRL_C_EVENT, 2, false},
               {CTRL_BREAK_EVENT, 2, false},
               {CTRL_CLOSE_EVENT, 1, true},
               {CTRL_LOGOFF_EVENT, 15, true},
               {CTRL_SHUTDOWN_EVENT, 15, true}};
  MSG message;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    platform::ResetQuitSignal();
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::atomic<bool> returned{false};
    std::thread system([&] {
      EXPECT_TRUE(platform::win32::OnConsoleControl(c.event));
      returned = true;
    });
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_POSTMESSAGE);
    EXPECT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(platform::QuitSignal(), c.signal);
    if (c.holds) {
      Sleep(100);
      EXPECT_FALSE(returned);
    }
    platform::ResetQuitSignal();
    system.join();
  }

  auto host = platform::win32::CreateWin32Host("C:\\game\\");
  host->SetStopCheck([] { return platform::QuitSignal() != 0; });
  std::thread system;
  auto close = host->CreateTimer(50, true, [&] {
    if (!system.joinable()) system = std::thread([] { platform::win32::OnConsoleControl(CTRL_CLOSE_EVENT); });
  });
  EXPECT_EQ(host->Run(), 0);
  EXPECT_EQ(platform::QuitSignal(), 1);
  EXPECT_FALSE(host->Main().Closed());  // the program saves quietly, as at a signal
  platform::ResetQuitSignal();
  system.join();
}

}  // namespace
