#include "platform/win32/MciMidiPlayer.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "platform/MediaError.h"
#include "platform/PlainFile.h"
#include "platform/win32/Text.h"

namespace platform::win32 {
namespace {

std::atomic<int> lastAlias{0};

class MciMidiPlayer final : public MidiPlayer {
 public:
  MciMidiPlayer() : alias_(L"kesto_midi_" + std::to_wstring(++lastAlias)) {}
  ~MciMidiPlayer() override { Close(); }

  void SetFileName(const std::string& path) override { path_ = path; }

  void Open() override {
    Close();
    // MCI opens the file by its name: what lies there is looked at first,
    // without blocking, and only a plain file of a sane size is handed on.
    std::string reason;
    if (!PlainFile::Open(path_, kMidiFileLimit, reason)) RefuseMedia(path_, "the music cannot be read (" + reason + ")");
    try {
      Send(L"open \"" + Widen(path_) + L"\" type sequencer alias " + alias_ + L" wait");
    } catch (const std::runtime_error& e) {
      // A missing or bad file, or no sequencer: said once per file.
      RefuseMedia(path_, e.what());
    }
    open_ = true;
  }

  void Play() override {
    if (open_) Send(L"play " + alias_ + L" from 0");
  }

  void Close() override {
    if (!open_) return;
    open_ = false;
    mciSendStringW((L"close " + alias_ + L" wait").c_str(), nullptr, 0, nullptr);
  }

 private:
  static void Send(const std::wstring& command) {
    const MCIERROR error = mciSendStringW(command.c_str(), nullptr, 0, nullptr);
    if (error == 0) return;
    wchar_t text[256] = L"";
    if (!mciGetErrorStringW(error, text, 256)) return void(throw std::runtime_error("MCI error " + std::to_string(error)));
    throw std::runtime_error(Narrow(text));
  }

  std::wstring alias_;
  std::string path_;
  bool open_ = false;
};

}  // namespace

std::unique_ptr<MidiPlayer> CreateMciMidiPlayer() { return std::make_unique<MciMidiPlayer>(); }

}  // namespace platform::win32
