// Our platform and mixer headers beside the system's: <windows.h> defines
// many of the system's names as macros, and none may clash with ours.
#include <windows.h>
#include <mmsystem.h>

#include "mixer/WaveMix.h"
#include "mixer/WaveMixComponent.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Host.h"
#include "platform/Json.h"
#include "platform/MidiPlayer.h"
#include "platform/Picture.h"
#include "platform/Profile.h"
#include "platform/WavFile.h"
#include "platform/WaveOut.h"
