#include "rsp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr int kDeadlineMs = 20000;  // a hang guard, not a measurement

int hex_value(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

RspClient::RspClient(uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

RspClient::~RspClient() {
    if (fd_ >= 0) close(fd_);
}

std::string RspClient::frame(const std::string& payload) {
    unsigned sum = 0;
    for (char c : payload) sum += static_cast<unsigned char>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "#%02x", sum & 0xFF);
    return "$" + payload + tail;
}

void RspClient::send_raw(const std::string& bytes) {
    size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

void RspClient::send(const std::string& payload) { send_raw(frame(payload)); }

int RspClient::read_byte() {
    if (fd_ < 0) return -1;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, kDeadlineMs) <= 0) return -1;
    unsigned char c;
    const ssize_t n = read(fd_, &c, 1);
    return n == 1 ? c : -1;
}

std::string RspClient::read_packet() {
    skipped_.clear();
    int c;
    while ((c = read_byte()) != '$') {
        if (c < 0) return "<closed>";
        skipped_ += static_cast<char>(c);
    }
    std::string payload;
    unsigned sum = 0;
    bool escaped = false;
    while ((c = read_byte()) != '#') {
        if (c < 0) return "<closed>";
        sum += static_cast<unsigned>(c);
        if (escaped) {
            payload += static_cast<char>(c ^ 0x20);
            escaped = false;
        } else if (c == '}') {
            escaped = true;
        } else {
            payload += static_cast<char>(c);
        }
    }
    const int hi = hex_value(read_byte());
    const int lo = hex_value(read_byte());
    if (hi < 0 || lo < 0 || (hi << 4 | lo) != static_cast<int>(sum & 0xFF)) return "<bad checksum>";
    if (acks) send_raw("+");
    return payload;
}

std::string RspClient::request(const std::string& payload) {
    send(payload);
    const std::string reply = read_packet();
    if (acks && skipped_ != "+") return "<not acknowledged: '" + skipped_ + "'> " + reply;
    if (!acks && !skipped_.empty()) return "<unexpected '" + skipped_ + "'> " + reply;
    return reply;
}

bool RspClient::closed_by_stub() {
    for (;;) {
        const int c = read_byte();
        if (c < 0) {
            // End of stream, or nothing at all in time (then not closed).
            pollfd p{fd_, POLLIN, 0};
            char byte;
            return poll(&p, 1, 0) > 0 && recv(fd_, &byte, 1, MSG_PEEK) == 0;
        }
    }
}
