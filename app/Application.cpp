#include "app/Application.h"

#include <exception>
#include <iostream>
#include <stdexcept>

#include "mixer/WaveMix.h"
#include "app/HeadlessRunner.h"
#include "platform/Files.h"
#include "platform/Scaling.h"
#include "platform/Signals.h"
#ifdef _WIN32
#include "platform/win32/Win32Host.h"
#else
#include "platform/sdl/SdlHost.h"
#endif

namespace app {

std::unique_ptr<game::TForm1> CreateForm1(platform::Host& host, std::optional<std::uint32_t> seed,
                                          const FormFactory& make) {
  std::unique_ptr<game::TForm1> form;
  try {
    form = make ? make(host) : std::make_unique<game::TForm1>(host);
  } catch (const std::exception& e) {
    host.ShowMessageBox("Application Error", e.what(), platform::BoxIcon::Error);
    return nullptr;
  }
  if (seed) form->FixSeed(*seed);
  form->Guarded([&] { form->FormCreate(); });
  return form;
}

int RunWindowed(int scale) {
  std::unique_ptr<platform::Host> host;
  try {
    const std::string folder = platform::FindGameFolder(platform::ExecutableFolder());
#ifdef _WIN32
    host = platform::win32::CreateWin32Host(folder, scale);
#else
    host = platform::sdl::CreateSdlHost(folder, scale);
#endif
    host->SetRecordFolder(platform::FindRecordFolder(folder));
  } catch (const std::exception& e) {
    std::cerr << "kesto: " << e.what() << '\n';
    return 1;
  }
  host->SetStopCheck([] { return platform::QuitSignal() != 0; });
  mixer::WaveMixSetHost(host.get());
  int code = 1;
  if (std::unique_ptr<game::TForm1> form = CreateForm1(*host)) {
    code = host->Run();
    if (platform::QuitSignal() && !host->Main().Closed()) code = SaveAfterQuitSignal(*form, std::cerr);
  }
  mixer::WaveMixSetHost(nullptr);
  return code;
}

int SaveAfterQuitSignal(game::TForm1& form, std::ostream& err) {
  try {
    form.SaveRecordQuietly();
    return 0;
  } catch (const std::exception& e) {
    err << "kesto: " << e.what() << '\n';
    return 1;
  }
}

const char kUsage[] =
    "usage: kesto [--scale N]\n"
    "       kesto --headless [--seed N] [--script FILE] [--folder DIR] [--audio-out FILE.wav]\n"
    "                        [--device present|absent|busy]\n"
    "       kesto --help\n"
    "\n"
    "  --scale N            show the 400 x 300 picture N times as large (1 to 8); by default the\n"
    "                       largest factor whose window takes at most two thirds of the screen's height\n"
    "  --headless           run without a display, in virtual time, driven by a script\n"
    "  --seed N             (headless) fix the random numbers\n"
    "  --script FILE        (headless) read the script from FILE instead of standard input\n"
    "  --folder DIR         (headless) play from the game folder DIR (its dat/ and cg/)\n"
    "  --audio-out FILE.wav (headless) write what the sound device played as a WAVE file\n"
    "  --device STATE       (headless) the sound device at start: present, absent (none is\n"
    "                       listed) or busy (it will not open); the game then plays silently\n"
    "  --help               show this help and exit\n"
    "\n"
    "In the window: F11 or Alt+Enter toggles fullscreen; Left/Right (or A/D) answer like a\n"
#ifdef _WIN32
    "press on that half. The end of the Windows session saves the best score and exits.\n";
#else
    "press on that half. SIGTERM, SIGINT and SIGHUP save the best score and exit.\n";
#endif

int Main(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  for (const std::string& arg : args) {
    if (arg == "--help") {
      out << kUsage;
      return 0;
    }
  }
  if (!args.empty() && args[0] == "--headless") {
    return RunHeadless(std::vector<std::string>(args.begin() + 1, args.end()), in, out, err);
  }
  int scale = 0;
  if (args.size() == 2 && args[0] == "--scale") {
    try {
      scale = int(WholeNumber(args[1], platform::kMinScale, platform::kMaxScale, "scale"));
    } catch (const std::invalid_argument& e) {
      err << "kesto: " << e.what() << '\n';
      return 2;
    }
  } else if (!args.empty()) {
    err << "kesto: unknown argument '" << args[0] << "'\n" << kUsage;
    return 2;
  }
  return RunWindowed(scale);
}

}  // namespace app
