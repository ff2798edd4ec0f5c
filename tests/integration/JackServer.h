#pragma once
// A real JACK server with the dummy driver, started and stopped by the test
// under a server name of its own, so it never meets another one.
#include <string>

#include <sys/types.h>

class JackServer {
public:
    JackServer(); // starts and waits until clients can connect; throws on failure
    ~JackServer();
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    pid_t pid_ = -1;
};
