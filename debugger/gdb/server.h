// The server's thread: listens on 127.0.0.1 only, serves one client at a
// time (others are closed at once), reads packets, acknowledges them while
// the client wants acknowledgements, answers what needs no board, and passes
// the rest to the emulation thread through the channel. It never touches the
// board and never waits for the emulation thread: replies come back through
// the channel whenever they are ready.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "channel.h"
#include "packets.h"

namespace gdbstub {

class Server {
public:
    explicit Server(Channel& channel) : channel_(channel) {}
    ~Server() { stop(); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Listens on 127.0.0.1:port (0: a free port the system picks) and starts
    // the thread. False, with the reason in `error`, when it cannot.
    bool start(uint16_t port, std::string& error);
    // The port listened on.
    uint16_t port() const { return port_; }
    // Closes the connection and the listening socket and ends the thread.
    void stop();

private:
    void run();
    void accept_client();
    void read_client();
    void handle(PacketEvent& event);
    void handle_packet(const std::string& payload);
    bool post(Event event);
    void send_replies();
    void send_packet(const std::string& payload);
    void send_raw(const std::string& bytes);
    void flush();
    void drop_client();

    Channel& channel_;
    std::thread thread_;
    int listen_fd_ = -1;
    int stop_fd_ = -1;  // written by stop()
    uint16_t port_ = 0;

    // The connection; only the server's thread uses these.
    int client_fd_ = -1;
    uint64_t client_ = 0;      // id of the connection, counting from 1
    PacketReader reader_;
    bool acks_ = true;         // until QStartNoAckMode
    bool running_ = false;     // the target runs: only the interrupt byte counts
    bool interrupted_ = false;  // the interrupt of this run has been passed on
    bool close_after_reply_ = false;  // after the reply to D
    std::string last_packet_;  // for a '-'
    std::string outgoing_;     // not yet written
};

}  // namespace gdbstub
