#include "midi/MidiEvent.h"

#include "midi/MidiInput.h"

TMidiHdrBase::TMidiHdrBase(std::uint32_t size, std::uintptr_t user) {
    if (size) {
        data_ = std::make_unique<char[]>(size);
        Header.lpData = data_.get();
        Header.dwBufferLength = size;
    }
    Header.dwUser = user;
}

void TMidiInHdr::Add(MidiInDriver& driver, MidiHandle handle) {
    if (!prepared_) {
        Header.dwFlags = 0;
        MMRESULT r = driver.PrepareHeader(handle, &Header);
        if (r != MMSYSERR_NOERROR) throw EMidiInputError(MidiResultText(driver, r), r);
        prepared_ = true;
    }
    Header.dwBytesRecorded = 0;
    MMRESULT r = driver.AddBuffer(handle, &Header);
    if (r != MMSYSERR_NOERROR) throw EMidiInputError(MidiResultText(driver, r), r);
}

MMRESULT TMidiInHdr::Release(MidiInDriver& driver, MidiHandle handle) {
    return driver.UnprepareHeader(handle, &Header);
}
