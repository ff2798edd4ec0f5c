#pragma once
// Rules for the names of MIDI ports as the system reports them and as the
// program shows and stores them.
#include <string>
#include <vector>

// ALSA port names end in the client and port numbers (" 128:0"), which change
// with start and plug order; the name without them.
std::string WithoutPortNumbers(const std::string& portName);

// The names as shown and stored: a name already taken earlier in the list
// gets " (2)", " (3)", ... so that two identical devices can be told apart.
// The first keeps its plain name, which older stored names still find.
std::vector<std::string> DistinctNames(std::vector<std::string> names);

// Whether a stored device name names a port: letter case and spaces
// do not count, nor the port numbers of names stored with them.
bool NamesDevice(const std::string& portName, const std::string& stored);

// True for a port name that belongs to a client of this program: its output,
// its input or its lister. JACK makes duplicate client names unique with
// "-01", "-02", ...
bool IsOwnPortName(const std::string& portName, const std::string& clientName);

// The device of the synthesizer built into the program, in the "Midi Out" menu.
inline constexpr const char* BuiltInSynthesizerName = "Built-in Synthesizer";

inline constexpr const char* InputClientSuffix = " In";
inline constexpr const char* ListerClientSuffix = " (list)";
