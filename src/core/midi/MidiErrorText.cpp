#include "midi/MidiOutDriver.h"
#include "midi/MidiInDriver.h"

#include <stdexcept>

bool MidiErrorText(MMRESULT code, std::string& text) {
    const char* t = nullptr;
    switch (code) {
    case MMSYSERR_NOERROR: t = "The command completed successfully."; break;
    case MMSYSERR_ERROR: t = "An error occurred in the MIDI system for which no other code fits."; break;
    case MMSYSERR_BADDEVICEID: t = "The device identifier given is out of range."; break;
    case MMSYSERR_NOTENABLED: t = "The driver did not enable the device."; break;
    case MMSYSERR_ALLOCATED: t = "The device is already in use by another program. Wait until it is free, then try again."; break;
    case MMSYSERR_INVALHANDLE: t = "The device handle given is not valid."; break;
    case MMSYSERR_NODRIVER: t = "No MIDI system is available: no ALSA sequencer and no running JACK server were found."; break;
    case MMSYSERR_NOMEM: t = "The system is out of memory or resources."; break;
    case MMSYSERR_NOTSUPPORTED: t = "The device does not support this function."; break;
    case MMSYSERR_BADERRNUM: t = "The error number given does not exist in the system."; break;
    case MMSYSERR_INVALFLAG: t = "A flag given to the MIDI system is not valid."; break;
    case MMSYSERR_INVALPARAM: t = "A parameter given to the MIDI system is not valid."; break;
    case MIDIERR_UNPREPARED: t = "The buffer was not prepared before it was used."; break;
    case MIDIERR_STILLPLAYING: t = "The device is still playing data. Reset it, or wait until the data has been played."; break;
    case MIDIERR_NOMAP: t = "No MIDI map was found. There may be a problem with the driver."; break;
    case MIDIERR_NOTREADY: t = "The port is busy sending data. Wait until it is finished, then try again."; break;
    case MIDIERR_NODEVICE: t = "The MIDI device in the current set-up was not found. It may have been disconnected."; break;
    case MIDIERR_INVALIDSETUP: t = "The current MIDI set-up is damaged."; break;
    case MIDIERR_BADOPENMODE: t = "The operation is not available in the mode the device was opened in."; break;
    case MIDIERR_DONT_CONTINUE: t = "The MIDI system stopped this operation."; break;
    default: return false;
    }
    text = t;
    return true;
}
