#include "WinMmCalls.h"

#include "WindowsText.h"

#include <windows.h>

#include <mmsystem.h>

#include <cwchar>

namespace WinMm {
namespace {

HMIDIOUT Out(std::uintptr_t h) { return reinterpret_cast<HMIDIOUT>(h); }
HMIDIIN In(std::uintptr_t h) { return reinterpret_cast<HMIDIIN>(h); }
MIDIHDR* Header(TBuffer* b) { return reinterpret_cast<MIDIHDR*>(b); }

} // namespace

std::uint32_t OutCount() { return midiOutGetNumDevs(); }

std::uint32_t OutName(std::int32_t deviceId, std::string& name) {
    MIDIOUTCAPSW caps{};
    const MMRESULT r = midiOutGetDevCapsW(static_cast<UINT_PTR>(static_cast<UINT>(deviceId)), &caps, sizeof caps);
    if (r == MMSYSERR_NOERROR) name = Utf8(caps.szPname, wcslen(caps.szPname));
    return r;
}

std::uint32_t OutOpen(std::uintptr_t& handle, std::int32_t deviceId) {
    HMIDIOUT h = nullptr;
    const MMRESULT r = midiOutOpen(&h, static_cast<UINT>(deviceId), 0, 0, CALLBACK_NULL);
    handle = r == MMSYSERR_NOERROR ? reinterpret_cast<std::uintptr_t>(h) : 0;
    return r;
}

std::uint32_t OutShort(std::uintptr_t handle, std::uint32_t packed) { return midiOutShortMsg(Out(handle), packed); }
std::uint32_t OutReset(std::uintptr_t handle) { return midiOutReset(Out(handle)); }
std::uint32_t OutClose(std::uintptr_t handle) { return midiOutClose(Out(handle)); }

std::uint32_t OutErrorText(std::uint32_t code, std::string& text) {
    wchar_t buffer[MAXERRORLENGTH] = {};
    const MMRESULT r = midiOutGetErrorTextW(code, buffer, MAXERRORLENGTH);
    if (r == MMSYSERR_NOERROR) text = Utf8(buffer, wcslen(buffer));
    return r;
}

std::uint32_t InCount() { return midiInGetNumDevs(); }

std::uint32_t InName(std::int32_t deviceId, std::string& name) {
    MIDIINCAPSW caps{};
    const MMRESULT r = midiInGetDevCapsW(static_cast<UINT_PTR>(static_cast<UINT>(deviceId)), &caps, sizeof caps);
    if (r == MMSYSERR_NOERROR) name = Utf8(caps.szPname, wcslen(caps.szPname));
    return r;
}

std::uint32_t InOpen(std::uintptr_t& handle, std::int32_t deviceId, TInCallback callback, std::uintptr_t instance) {
    HMIDIIN h = nullptr;
    const MMRESULT r = midiInOpen(&h, static_cast<UINT>(deviceId), reinterpret_cast<DWORD_PTR>(callback), instance,
                                  CALLBACK_FUNCTION);
    handle = r == MMSYSERR_NOERROR ? reinterpret_cast<std::uintptr_t>(h) : 0;
    return r;
}

TBuffer* InPrepare(std::uintptr_t handle, char* data, std::uint32_t length, std::uintptr_t user, std::uint32_t& result) {
    auto* header = new MIDIHDR{};
    header->lpData = data;
    header->dwBufferLength = length;
    header->dwUser = user;
    result = midiInPrepareHeader(In(handle), header, sizeof *header);
    if (result == MMSYSERR_NOERROR) return reinterpret_cast<TBuffer*>(header);
    delete header;
    return nullptr;
}

std::uint32_t InUnprepare(std::uintptr_t handle, TBuffer* buffer) {
    const MMRESULT r = midiInUnprepareHeader(In(handle), Header(buffer), sizeof(MIDIHDR));
    if (r == MMSYSERR_NOERROR) delete Header(buffer);
    return r;
}

std::uint32_t InAddBuffer(std::uintptr_t handle, TBuffer* buffer) {
    return midiInAddBuffer(In(handle), Header(buffer), sizeof(MIDIHDR));
}

std::uintptr_t BufferUser(std::uintptr_t header) { return reinterpret_cast<MIDIHDR*>(header)->dwUser; }
std::uint32_t BufferRecorded(std::uintptr_t header) { return reinterpret_cast<MIDIHDR*>(header)->dwBytesRecorded; }

std::uint32_t InStart(std::uintptr_t handle) { return midiInStart(In(handle)); }
std::uint32_t InStop(std::uintptr_t handle) { return midiInStop(In(handle)); }
std::uint32_t InReset(std::uintptr_t handle) { return midiInReset(In(handle)); }
std::uint32_t InClose(std::uintptr_t handle) { return midiInClose(In(handle)); }

std::uint32_t InErrorText(std::uint32_t code, std::string& text) {
    wchar_t buffer[MAXERRORLENGTH] = {};
    const MMRESULT r = midiInGetErrorTextW(code, buffer, MAXERRORLENGTH);
    if (r == MMSYSERR_NOERROR) text = Utf8(buffer, wcslen(buffer));
    return r;
}

} // namespace WinMm
