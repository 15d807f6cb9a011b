// wavemix: the mixer from the command line. Converts a WAVE file to the
// session's output format, shows a session's settings, renders a script of
// mixer operations on the virtual device in virtual time, and plays files
// on the real sound device.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mixer/Output.h"
#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/Files.h"
#include "platform/ScriptLines.h"
#include "platform/WavFile.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"
#ifdef _WIN32
#include "platform/win32/Win32MixerHost.h"
using SoundCardHost = platform::win32::Win32MixerHost;
#else
#include "platform/sdl/SdlMixerHost.h"
using SoundCardHost = platform::sdl::SdlMixerHost;
#endif

namespace {

constexpr char kHelp[] = R"(usage:
  wavemix [--device virtual|sdl] convert [--rate 11|22|44] [--stereo] IN.wav OUT.raw
  wavemix [--device virtual|sdl] session [--rate 11|22|44] [--stereo]
  wavemix render [--rate 11|22|44] [--stereo] SCRIPT OUT.wav
  wavemix play [--channel N] [--rate 11|22|44] [--stereo] FILE.wav...
  wavemix --help

The session reads WAVEMIX.INI: the file named by the environment variable
WAVEMIX_INI, else the one beside this program. --rate and --stereo go to the
session as its configuration record. Without --device, convert and session
use the virtual device (one device, "Virtual Wave Out", 2 channels).

convert  loads IN.wav as a file and writes its converted samples, exactly as
         the mixer holds them, to OUT.raw.
session  prints the session's settings, one key=value a line.
render   runs SCRIPT against the virtual device in virtual time, starting at
         0 ms, and writes what the device played as a WAV in the session's
         output format. While the device is open, time in which it had
         nothing to play is written as silence.
play     plays the files on the real sound device, all starting together,
         each on its own channel (mixed), or all on channel N one after
         another, and returns when they have ended.

Script lines (blank lines and lines starting with # are skipped):
  load NAME FILE      load FILE (relative to the script's folder) as NAME
  release NAME        free the wave
  activate on|off     take or release the wave-out device
  open all            open all eight channels
  open first N        open channels 0 .. N-1
  open CH             open channel CH
  shut all|CH         drop the queue and close
  clear all|CH [noremix]
                      drop the queue; without noremix what was already
                      mixed of it is mixed again
  play NAME CH [replace] [anychannel] [fromnow] [hold] [loops N|forever]
                      queue a play of NAME on channel CH
  advance MS          let MS milliseconds of virtual time pass

Errors go to standard error as "wavemix: FILE: text" (the script's line for
render: "wavemix: SCRIPT:LINE: text"). Exit status: 0 done, 1 a mixer error,
2 bad usage or script.
)";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::optional<int> rate;
  bool stereo = false;
  std::optional<int> channel;
  bool realDevice = false;
  std::vector<std::string> rest;
};

Options ParseOptions(const std::vector<std::string>& args, bool allowChannel) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--stereo") {
      options.stereo = true;
    } else if (a == "--rate" && i + 1 < args.size()) {
      const std::string value = args[++i];
      if (value != "11" && value != "22" && value != "44") throw UsageError("--rate takes 11, 22 or 44");
      options.rate = std::stoi(value);
    } else if (allowChannel && a == "--channel" && i + 1 < args.size()) {
      const std::string& value = args[++i];
      int channel = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), channel);
      if (ec != std::errc() || end != value.data() + value.size()) throw UsageError("--channel takes 0..7");
      options.channel = channel;
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option " + a);
    } else {
      options.rest.push_back(a);
    }
  }
  return options;
}

mixer::MixSession* CreateSession(const Options& options) {
  mixer::MixConfig config{10, 0, 0, 0};
  if (options.stereo) {
    config.flags |= mixer::CONFIG_CHANNELS;
    config.channels = 2;
  }
  if (options.rate) {
    config.flags |= mixer::CONFIG_SAMPLINGRATE;
    config.samplingRate = std::uint16_t(*options.rate);
  }
  return mixer::WaveMixInitWithConfig(&config);
}

// The host the command runs on: the virtual device in virtual time, or the real one.
struct Platform {
  std::unique_ptr<platform::headless::HeadlessHost> virtualHost;
  std::unique_ptr<SoundCardHost> realHost;
  platform::headless::VirtualWaveOut* device = nullptr;

  explicit Platform(bool real) {
    const std::string folder = platform::ExecutableFolder();
    if (real) {
      realHost = std::make_unique<SoundCardHost>(folder);
      mixer::WaveMixSetHost(realHost.get());
    } else {
      virtualHost = std::make_unique<platform::headless::HeadlessHost>(folder);
      auto wave = std::make_unique<platform::headless::VirtualWaveOut>(*virtualHost);
      device = wave.get();
      virtualHost->SetWaveOut(std::move(wave));
      mixer::WaveMixSetHost(virtualHost.get());
    }
  }
  ~Platform() {
    if (mixer::currentSession) {
      try {
        mixer::WaveMixEndSession(mixer::currentSession);
      } catch (const mixer::EWaveMixError&) {
      }
    }
    mixer::WaveMixSetHost(nullptr);
  }
};

// Loads a file; a mixer error names the file it concerns.
mixer::MixWave* LoadFile(mixer::MixSession* session, const std::string& path) {
  try {
    return mixer::WaveMixLoadWave(session, path.c_str(), nullptr, mixer::LOAD_FILE);
  } catch (const mixer::EWaveMixError& e) {
    throw mixer::EWaveMixError(path + ": " + e.what());
  }
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

int Convert(const Options& options) {
  if (options.rest.size() != 2) throw UsageError("convert takes IN.wav OUT.raw");
  Platform platform(options.realDevice);
  mixer::MixSession* session = CreateSession(options);
  mixer::MixWave* wave = LoadFile(session, options.rest[0]);
  const std::vector<std::uint8_t> data(wave->data, wave->data + wave->length);
  mixer::WaveMixReleaseWave(session, wave);
  WriteBytes(options.rest[1], data);
  return 0;
}

int Session(const Options& options) {
  if (!options.rest.empty()) throw UsageError("session takes no file");
  Platform platform(options.realDevice);
  const mixer::MixSession* s = CreateSession(options);
  std::cout << "deviceId=" << s->deviceId << "\n"
            << "deviceName=" << s->deviceName << "\n"
            << "channels=" << s->format.channels << "\n"
            << "samplesPerSec=" << s->format.samplesPerSec << "\n"
            << "avgBytesPerSec=" << s->format.avgBytesPerSec << "\n"
            << "blockAlign=" << s->format.blockAlign << "\n"
            << "blockLength=" << s->blockLength << "\n"
            << "blockCount=" << s->blockCount << "\n"
            << "goodWavePos=" << int(s->goodWavePos) << "\n"
            << "remix=" << (s->remixRoutine == &mixer::DeferToMixPosition ? "DeferToMixPosition" : "RemixBlocks")
            << "\n";
  return 0;
}

struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::int32_t ChannelArg(const std::string& word) {
  std::size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(word, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != word.size() || word.empty()) throw ScriptError("not a number: " + word);
  return value;
}

// Runs the lines of a render script against one session.
class ScriptPlayer {
 public:
  ScriptPlayer(Platform& platform, mixer::MixSession* session, std::filesystem::path folder)
      : platform_(platform), session_(session), folder_(std::move(folder)) {}
  ~ScriptPlayer() {
    for (auto& [name, wave] : waves_) {
      try {
        mixer::WaveMixReleaseWave(session_, wave);
      } catch (const mixer::EWaveMixError&) {
      }
    }
  }

  void Run(const std::vector<std::string>& w) {
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const Command& c) { return c.name == w[0]; });
    if (command == std::end(kCommands)) throw ScriptError("unknown command: " + w[0]);
    Need(w, command->leastWords);
    (this->*command->run)(w);
  }

 private:
  struct Command {
    std::string_view name;
    std::size_t leastWords;  // the command's own included; more may follow
    void (ScriptPlayer::*run)(const std::vector<std::string>& w);
  };
  static const Command kCommands[8];

  static void Need(const std::vector<std::string>& w, std::size_t n) {
    if (w.size() < n) throw ScriptError(w[0] + ": missing arguments");
  }

  void Load(const std::vector<std::string>& w) {
    std::filesystem::path file = w[2];
    if (file.is_relative()) file = folder_ / file;
    if (waves_.count(w[1])) throw ScriptError("wave already loaded: " + w[1]);
    waves_[w[1]] = LoadFile(session_, file.string());
  }

  void Release(const std::vector<std::string>& w) {
    mixer::MixWave* wave = Wave(w[1]);
    waves_.erase(w[1]);
    mixer::WaveMixReleaseWave(session_, wave);
  }

  void Activate(const std::vector<std::string>& w) {
    if (w[1] != "on" && w[1] != "off") throw ScriptError("activate on|off");
    mixer::WaveMixActivate(session_, w[1] == "on" ? 1 : 0);
  }

  void Open(const std::vector<std::string>& w) {
    if (w[1] == "all") {
      mixer::WaveMixOpenChannels(session_, 0, mixer::CHANNELS_ALL);
    } else if (w[1] == "first") {
      Need(w, 3);
      mixer::WaveMixOpenChannels(session_, ChannelArg(w[2]), mixer::CHANNELS_FIRST);
    } else {
      mixer::WaveMixOpenChannels(session_, ChannelArg(w[1]), mixer::CHANNELS_ONE);
    }
  }

  // shut and clear: a channel or all, clear with an optional noremix.
  void ShutOrClear(const std::vector<std::string>& w) {
    const bool shut = w[0] == "shut";
    std::uint32_t flags = w[1] == "all" ? mixer::CLEAR_ALL : 0;
    const std::int32_t channel = w[1] == "all" ? 0 : ChannelArg(w[1]);
    for (std::size_t i = 2; i < w.size(); ++i) {
      if (!shut && w[i] == "noremix") {
        flags |= mixer::CLEAR_NOREMIX;
      } else {
        throw ScriptError("unknown word: " + w[i]);
      }
    }
    if (shut) {
      mixer::WaveMixShutChannels(session_, channel, flags);
    } else {
      mixer::WaveMixClearChannel(session_, channel, flags);
    }
  }

  void Play(const std::vector<std::string>& w) {
    mixer::MixPlayParams params{24, session_, ChannelArg(w[2]), Wave(w[1]), 0, 0, 0};
    for (std::size_t i = 3; i < w.size(); ++i) {
      if (w[i] == "replace") {
        params.flags |= mixer::PLAY_REPLACE;
      } else if (w[i] == "anychannel") {
        params.flags |= mixer::PLAY_ANYCHANNEL;
      } else if (w[i] == "fromnow") {
        params.flags |= mixer::PLAY_FROMNOW;
      } else if (w[i] == "hold") {
        params.flags |= mixer::PLAY_HOLD;
      } else if (w[i] == "loops" && i + 1 < w.size()) {
        const std::string count = w[++i];
        params.loops = count == "forever" ? mixer::kLoopForever : std::uint16_t(ChannelArg(count));
      } else {
        throw ScriptError("unknown word: " + w[i]);
      }
    }
    mixer::WaveMixPlay(&params);
  }

  void Advance(const std::vector<std::string>& w) {
    const std::int32_t ms = ChannelArg(w[1]);
    if (ms < 0) throw ScriptError("advance takes a count of milliseconds");
    platform_.virtualHost->AdvanceMs(std::uint64_t(ms));
  }

  mixer::MixWave* Wave(const std::string& name) {
    const auto found = waves_.find(name);
    if (found == waves_.end()) throw ScriptError("no wave named " + name);
    return found->second;
  }

  Platform& platform_;
  mixer::MixSession* session_;
  std::filesystem::path folder_;
  std::map<std::string, mixer::MixWave*> waves_;
};

const ScriptPlayer::Command ScriptPlayer::kCommands[8] = {
    {"load", 3, &ScriptPlayer::Load},   {"release", 2, &ScriptPlayer::Release},
    {"activate", 2, &ScriptPlayer::Activate}, {"open", 2, &ScriptPlayer::Open},
    {"shut", 2, &ScriptPlayer::ShutOrClear}, {"clear", 2, &ScriptPlayer::ShutOrClear},
    {"play", 3, &ScriptPlayer::Play},   {"advance", 2, &ScriptPlayer::Advance},
};

int Render(const Options& options) {
  if (options.rest.size() != 2) throw UsageError("render takes SCRIPT OUT.wav");
  std::ifstream script(options.rest[0]);
  if (!script) throw UsageError("cannot read " + options.rest[0]);
  Platform platform(false);
  platform.device->SetRecordGaps(true);
  mixer::MixSession* session = CreateSession(options);
  {
    ScriptPlayer player(platform, session, std::filesystem::path(options.rest[0]).parent_path());
    for (platform::ScriptLines lines(script); lines.Next();) {
      try {
        player.Run(lines.Words());
      } catch (const ScriptError& e) {
        std::cerr << "wavemix: " << options.rest[0] << ":" << lines.Number() << ": " << e.what() << "\n";
        return 2;
      } catch (const mixer::EWaveMixError& e) {
        std::cerr << "wavemix: " << options.rest[0] << ":" << lines.Number() << ": " << e.what() << "\n";
        return 1;
      }
    }
  }
  platform::WriteWavFile(options.rest[1], session->format, platform.device->Recording());
  return 0;
}

// Counts the end-of-play messages of `play`.
int ended = 0;
void CountEnd(platform::WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message == platform::mm::kWomDone) ++ended;
}

int Play(const Options& options) {
  if (options.rest.empty()) throw UsageError("play takes at least one file");
  if (options.channel && (*options.channel < 0 || *options.channel >= mixer::kChannelCount)) throw UsageError("--channel takes 0..7");
  Platform platform(true);
  SoundCardHost& host = *platform.realHost;
  mixer::MixSession* session = CreateSession(options);
  host.RegisterWindowClass("WavemixPlayEnd", CountEnd, nullptr);
  const platform::WindowHandle listener = host.CreateHiddenWindow("WavemixPlayEnd");
  std::vector<mixer::MixWave*> waves;
  struct Release {
    mixer::MixSession* session;
    std::vector<mixer::MixWave*>& waves;
    ~Release() {
      try {
        mixer::WaveMixActivate(session, 0);
        for (mixer::MixWave* wave : waves) mixer::WaveMixReleaseWave(session, wave);
      } catch (const mixer::EWaveMixError&) {
      }
    }
  } release{session, waves};
  double seconds = 0;
  for (const std::string& file : options.rest) {
    waves.push_back(LoadFile(session, file));
    seconds += double(waves.back()->length) / session->format.avgBytesPerSec;
  }
  mixer::WaveMixActivate(session, 1);
  mixer::WaveMixOpenChannels(session, 0, mixer::CHANNELS_ALL);
  ended = 0;
  // Every play but the last is held, so the last places them all at one
  // position and they start together; otherwise each would queue behind
  // the blocks mixed ahead for the ones before it.
  for (std::size_t i = 0; i < waves.size(); ++i) {
    const std::uint32_t flags = i + 1 < waves.size() ? mixer::PLAY_HOLD : 0;
    mixer::MixPlayParams params{24,        session, options.channel.value_or(int(i % mixer::kChannelCount)),
                                waves[i],  listener, flags, 0};
    mixer::WaveMixPlay(&params);
  }
  const std::uint32_t deadline = host.Milliseconds() + std::uint32_t(seconds * 1000) + 3000;
  while (ended < int(waves.size()) && std::int32_t(deadline - host.Milliseconds()) > 0) host.WaitAndDispatch(20);
  if (ended < int(waves.size())) {
    std::cerr << "wavemix: the device did not finish playing in time\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    bool real = false;
    if (args.size() >= 2 && args[0] == "--device") {
      if (args[1] != "virtual" && args[1] != "sdl") throw UsageError("--device takes virtual or sdl");
      real = args[1] == "sdl";
      args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
      std::cout << kHelp;
      return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    Options options = ParseOptions(args, command == "play");
    options.realDevice = real;
    if (command == "convert") return Convert(options);
    if (command == "session") return Session(options);
    if (command == "render") return Render(options);
    if (command == "play") return Play(options);
    throw UsageError("unknown command " + command);
  } catch (const mixer::EWaveMixError& e) {
    std::cerr << "wavemix: " << e.what() << "\n";
    return 1;
  } catch (const UsageError& e) {
    std::cerr << "wavemix: " << e.what() << "\n(wavemix --help shows the usage)\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "wavemix: " << e.what() << "\n";
    return 1;
  }
}
