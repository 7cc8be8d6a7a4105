#include "core_fixture.h"

namespace coretest {

std::vector<PortCall> port_log;
uint32_t port_value = 0;
std::function<void()> port_action;
std::function<uint32_t(uint32_t)> port_reply;

uint32_t port_read(uint32_t address, data_region*) {
    port_log.push_back({false, address, 0});
    if (port_action) port_action();
    return port_reply ? port_reply(address) : port_value;
}

void port_write(uint32_t address, uint32_t data, data_region*) {
    port_log.push_back({true, address, data});
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

void CoreTest::SetUp() {
    std::memset(&_s68000context, 0, sizeof _s68000context);
    port_log.clear();
    port_value = 0;
    port_action = nullptr;
    port_reply = nullptr;
}

void CoreTest::TearDown() {
    port_action = nullptr;
    port_reply = nullptr;
    std::memset(&_s68000context, 0, sizeof _s68000context);
}

void CoreTest::start(uint32_t pc, const std::function<void(Lists&)>& first) {
    for (Lists* l : {&super, &user}) {
        if (first) first(*l);
        l->program(mem);
        l->data(mem);
        l->readers(PORT, PORT + 0xFFFF, port_read);
        l->writers(PORT, PORT + 0xFFFF, port_write);
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

void CoreTest::set_sr(uint16_t sr) {
    s68000context& c = _s68000context;
    if ((sr ^ c.sr) & 0x2000) {
        std::swap(c.areg[7], c.asp);
        const bool s = sr & 0x2000;
        c.fetch = s ? c.s_fetch : c.u_fetch;
        c.readbyte = s ? c.s_readbyte : c.u_readbyte;
        c.readword = s ? c.s_readword : c.u_readword;
        c.writebyte = s ? c.s_writebyte : c.u_writebyte;
        c.writeword = s ? c.s_writeword : c.u_writeword;
    }
    c.sr = sr;
}

}  // namespace coretest
