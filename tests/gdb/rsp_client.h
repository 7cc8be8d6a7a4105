// A client of the remote serial protocol for tests: a TCP connection to
// 127.0.0.1, packets framed and checked here (independently of the stub's
// own framing), acknowledgements as the client chooses. Every read gives up
// after a generous deadline, so that a stub that never answers fails the
// test instead of hanging it.
#pragma once

#include <cstdint>
#include <string>

class RspClient {
public:
    explicit RspClient(uint16_t port);
    ~RspClient();
    RspClient(const RspClient&) = delete;
    RspClient& operator=(const RspClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    void send_raw(const std::string& bytes);
    // "$payload#cs"
    void send(const std::string& payload);
    static std::string frame(const std::string& payload);

    // The next byte, or -1 when the connection closed or nothing came in time.
    int read_byte();
    // The next packet's payload (escapes undone), acknowledged with '+' while
    // acks() holds. Bytes before its '$' go to skipped(). Empty optional-like
    // result: "<closed>" when the connection ends first, "<bad checksum>".
    std::string read_packet();
    const std::string& skipped() const { return skipped_; }

    // Sends a packet, expects the stub's '+' (while acks() holds), and
    // returns the reply's payload.
    std::string request(const std::string& payload);
    // Whether the stub closes the connection (reads until it does).
    bool closed_by_stub();

    bool acks = true;

private:
    int fd_ = -1;
    std::string skipped_;
};
