#include "core_fixture.h"

namespace coretest {

std::vector<PortCall> port_log;
std::function<void()> port_action;
std::function<uint32_t(uint32_t)> port_reply;

uint32_t port_read(uint32_t address, data_region*) {
    port_log.push_back(R(address));
    if (port_action) port_action();
    return port_reply ? port_reply(address) : 0;
}

void port_write(uint32_t address, uint32_t data, data_region*) {
    port_log.push_back(Wr(address, data));
    if (port_action) port_action();
}

void install(Lists& super, Lists& user) {
    s68000context& c = _s68000context;
    c.s_fetch = super.fetch.data();
    c.s_readbyte = super.readbyte.data();
    c.s_readword = super.readword.data();
    c.s_writebyte = super.writebyte.data();
    c.s_writeword = super.writeword.data();
    c.u_fetch = user.fetch.data();
    c.u_readbyte = user.readbyte.data();
    c.u_readword = user.readword.data();
    c.u_writebyte = user.writebyte.data();
    c.u_writeword = user.writeword.data();
}

void CoreTest::clear() {
    std::memset(&_s68000context, 0, sizeof _s68000context);
    port_log.clear();
    port_action = nullptr;
    port_reply = nullptr;
}

void CoreTest::start(uint32_t pc, const std::function<void(Lists&)>& first) {
    super = user = Lists{};
    for (Lists* l : {&super, &user}) {
        if (first) first(*l);
        l->program(mem);
        l->data(mem);
        l->ports(PORT, PORT + 0xFFFF);
        l->finish();
    }
    install(super, user);
    for (unsigned n = 2; n < 256; ++n) {
        mem.put32(4 * n, vector_target(n));
        mem.put16(vector_target(n), 0x60FE);  // BRA.S *
    }
    mem.put32(0, RESET_SSP);
    mem.put32(4, pc);
    ASSERT_EQ(s68000reset(), 0);
}

}  // namespace coretest
