#pragma once
// The WinMM MIDI calls, kept apart from the program's own names for the same
// numbers and structures: handles are numbers, texts UTF-8, and the system's
// buffer headers stay inside.
#include <cstdint>
#include <string>

namespace WinMm {

std::uint32_t OutCount();
std::uint32_t OutName(std::int32_t deviceId, std::string& name);
std::uint32_t OutOpen(std::uintptr_t& handle, std::int32_t deviceId);
std::uint32_t OutShort(std::uintptr_t handle, std::uint32_t packed);
std::uint32_t OutReset(std::uintptr_t handle);
std::uint32_t OutClose(std::uintptr_t handle);
std::uint32_t OutErrorText(std::uint32_t code, std::string& text);

// Called on the system's thread: (handle, message, instance, parameter 1, parameter 2).
using TInCallback = void (*)(std::uintptr_t, std::uint32_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);
// A buffer header of the system's, lent to an input device with its data.
struct TBuffer;
std::uint32_t InCount();
std::uint32_t InName(std::int32_t deviceId, std::string& name);
std::uint32_t InOpen(std::uintptr_t& handle, std::int32_t deviceId, TInCallback callback, std::uintptr_t instance);
// The header for a block of data, prepared; null (and the code in result) when it fails.
TBuffer* InPrepare(std::uintptr_t handle, char* data, std::uint32_t length, std::uintptr_t user, std::uint32_t& result);
std::uint32_t InUnprepare(std::uintptr_t handle, TBuffer* buffer); // frees it when done
std::uint32_t InAddBuffer(std::uintptr_t handle, TBuffer* buffer);
// What a returned header (parameter 1 of the long-data messages) carries.
std::uintptr_t BufferUser(std::uintptr_t header);
std::uint32_t BufferRecorded(std::uintptr_t header);
std::uint32_t InStart(std::uintptr_t handle);
std::uint32_t InStop(std::uintptr_t handle);
std::uint32_t InReset(std::uintptr_t handle);
std::uint32_t InClose(std::uintptr_t handle);
std::uint32_t InErrorText(std::uint32_t code, std::string& text);

} // namespace WinMm
