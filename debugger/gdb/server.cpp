#include "server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "commands.h"
#include "packets.h"

namespace gdbstub {

namespace {

// A client that reads nothing while this much waits for it is dropped.
constexpr size_t kMaxOutgoing = 1 << 20;

void close_fd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

bool Server::start(uint16_t port, std::string& error) {
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    stop_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (listen_fd_ < 0 || stop_fd_ < 0 || channel_.wake_fd() < 0) {
        error = std::string("cannot make a socket: ") + std::strerror(errno);
        stop();
        return false;
    }
    const int on = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // this computer only
    address.sin_port = htons(port);
    socklen_t size = sizeof address;
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listen_fd_, 1) != 0 ||
        getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        stop();
        return false;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread(&Server::run, this);
    return true;
}

void Server::stop() {
    if (thread_.joinable()) {
        const uint64_t one = 1;
        if (write(stop_fd_, &one, sizeof one) < 0) std::perror("gdb server stop");
        thread_.join();
    }
    close_fd(client_fd_);
    close_fd(listen_fd_);
    close_fd(stop_fd_);
}

void Server::run() {
    for (;;) {
        pollfd fds[4] = {{stop_fd_, POLLIN, 0}, {channel_.wake_fd(), POLLIN, 0}, {listen_fd_, POLLIN, 0},
                         {client_fd_, static_cast<short>(POLLIN | (outgoing_.empty() ? 0 : POLLOUT)), 0}};
        if (poll(fds, client_fd_ >= 0 ? 4 : 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;
        if (fds[1].revents) {
            channel_.drain_wake();
            send_replies();
        }
        // The client first: one that has just gone makes way for a new one.
        if (client_fd_ >= 0 && fds[3].fd == client_fd_) {
            if (fds[3].revents & POLLOUT) flush();
            if (client_fd_ >= 0 && (fds[3].revents & (POLLIN | POLLHUP | POLLERR))) read_client();
        }
        if (fds[2].revents) accept_client();
    }
    drop_client();
}

void Server::accept_client() {
    const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (client_fd_ >= 0) {  // one client at a time
        close(fd);
        return;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    client_fd_ = fd;
    ++client_;
    reader_ = PacketReader();
    acks_ = true;
    running_ = false;  // the target stops for the new client at its next boundary
    close_after_reply_ = false;
    channel_.post({Event::Connected, client_, {}});
}

// A few reads at a time, so that a client that never stops sending does not
// keep the replies waiting.
void Server::read_client() {
    char buffer[4096];
    for (int reads = 0; reads < 16; ++reads) {
        const ssize_t n = read(client_fd_, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            drop_client();
            return;
        }
        if (n < 0) return;
        PacketEvent event;
        for (ssize_t i = 0; i < n; ++i) {
            if (reader_.feed(buffer[i], event)) handle(event);
            if (client_fd_ < 0) return;
        }
    }
}

void Server::handle(PacketEvent& event) {
    switch (event.kind) {
        case PacketEvent::Packet:
            if (acks_) send_raw("+");
            handle_packet(event.payload);
            return;
        case PacketEvent::BadChecksum:
            if (acks_) send_raw("-");
            return;
        case PacketEvent::TooLong:
            if (acks_) send_raw("+");
            if (!running_ && !close_after_reply_) send_packet("E01");
            return;
        case PacketEvent::Ack: return;
        case PacketEvent::Nak:
            if (acks_ && !last_packet_.empty()) send_raw(last_packet_);
            return;
        case PacketEvent::Interrupt:  // one a run is enough
            if (running_ && !interrupted_ && post({Event::Interrupt, client_, {}})) interrupted_ = true;
            return;
    }
}

// While the target runs, or once the client detached, packets are dropped:
// the target answers nothing until it stops.
void Server::handle_packet(const std::string& payload) {
    if (running_ || close_after_reply_) return;
    Packet command = parse_packet(payload);
    if (!for_the_target(command.kind)) {
        send_packet(server_reply(command));
        if (command.kind == PacketKind::StartNoAckMode) acks_ = false;  // after acknowledging this one
        return;
    }
    const PacketKind kind = command.kind;
    if (resumes(kind)) {
        running_ = true;
        interrupted_ = false;
    }
    if (kind == PacketKind::Detach) close_after_reply_ = true;
    if (post({Event::Request, client_, std::move(command)}) && kind == PacketKind::Kill)
        drop_client();  // k has no reply
}

// A client that floods the queue without waiting for answers is dropped.
bool Server::post(Event event) {
    if (channel_.post(std::move(event))) return true;
    drop_client();
    return false;
}

void Server::send_replies() {
    Reply reply;
    while (channel_.take_reply(reply)) {
        if (reply.client != client_ || client_fd_ < 0) continue;  // for a connection that is gone
        send_packet(reply.payload);
        if (reply.kind == Reply::Stop) running_ = false;
        if (reply.kind == Reply::Final) drop_client();
    }
}

void Server::send_packet(const std::string& payload) {
    std::string framed = frame_packet(payload);
    if (acks_) last_packet_ = framed;
    send_raw(framed);
}

void Server::send_raw(const std::string& bytes) {
    outgoing_ += bytes;
    flush();
    if (outgoing_.size() > kMaxOutgoing) drop_client();
}

void Server::flush() {
    while (client_fd_ >= 0 && !outgoing_.empty()) {
        const ssize_t n = send(client_fd_, outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL);
        if (n > 0) {
            outgoing_.erase(0, static_cast<size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        } else {
            drop_client();
        }
    }
}

void Server::drop_client() {
    if (client_fd_ < 0) return;
    close_fd(client_fd_);
    channel_.post({Event::Disconnected, client_, {}});
    outgoing_.clear();
    last_packet_.clear();
    running_ = false;
    close_after_reply_ = false;
}

}  // namespace gdbstub
