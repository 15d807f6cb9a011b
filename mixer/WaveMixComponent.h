// TWaveMix: the component through which a program (the game's window) uses
// the mixer. It owns one session for its whole life; its two properties take
// the device (Activated) and open channels (Channels, a bit mask); its
// methods load, free and play waves. It catches nothing: every failure is the
// mixer's EWaveMixError.
#pragma once

#include <cstdint>

#include "mixer/WaveMix.h"

namespace mixer {

// The toolkit's component base: an owner and the design-time state, which
// no running program ever sets.
class TComponent {
 public:
  explicit TComponent(TComponent* owner) : owner_(owner) {}
  virtual ~TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  TComponent* Owner() const { return owner_; }
  bool Designing() const { return designing_; }

 protected:
  bool designing_ = false;

 private:
  TComponent* owner_;
};

// A control with a window that can be named to receive end-of-play messages.
class TWinControl {
 public:
  virtual ~TWinControl() = default;
  // The control's window, created on first use.
  virtual platform::WindowHandle Handle() = 0;
};

class TWaveMix : public TComponent {
 public:
  // Creates the session (WaveMixInit); its error propagates and there is no component.
  explicit TWaveMix(TComponent* owner);
  // Channels = 0, Activated = false, then the session ends.
  ~TWaveMix() override;

  bool Activated() const { return activated; }
  // Takes (true) or releases the device; the field keeps its value when the mixer refuses.
  void SetActivated(bool value);
  std::uint8_t Channels() const { return channels; }
  // Bit i opens mixer channel i; 255 opens all, 0 shuts all. A failure part
  // way through leaves the channels handled so far changed and the field as
  // it was.
  void SetChannels(std::uint8_t value);

  MixWave* LoadWave(const char* fileName);
  void FreeWave(MixWave* wave);
  // notifyControl: the control whose window gets mm::kWomDone when the play
  // ends, or nil for none.
  void Play(std::int32_t channel, MixWave* wave, TWinControl* notifyControl, std::uint32_t flags,
            std::uint16_t loops);

  MixSession* Session() const { return session; }

 private:
  MixPlayParams playParams{};
  MixSession* session = nullptr;
  bool activated = false;
  std::uint8_t channels = 0;
};

}  // namespace mixer
