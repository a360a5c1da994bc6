#pragma once

#include "link/SerialPortControl.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// A serial-port control whose receive buffer the test fills by hand. Arrive() raises the
// incoming-data event as the real control does after bytes come in.
class FakeSerialControl : public SerialPortControl {
public:
    void SetPortNumber(int comPort) override { calls.push_back("port " + std::to_string(comPort)); }
    void SetBitsPerSecond(int bps) override { calls.push_back("bps " + std::to_string(bps)); }
    void SetDataBits(int bits) override { calls.push_back("data " + std::to_string(bits)); }
    void SetParity(int parity) override { calls.push_back("parity " + std::to_string(parity)); }
    void SetStopBits(int stop) override { calls.push_back("stop " + std::to_string(stop)); }
    void SetModemLine(int modem) override { calls.push_back("modem " + std::to_string(modem)); }
    int Open() override {
        calls.push_back("open");
        open = openResult >= 1;
        return openResult;
    }
    void SetReceiveEnabled(int enabled) override {
        calls.push_back("receive " + std::to_string(enabled));
    }
    void SetModemControl(int modem) override {
        calls.push_back("control " + std::to_string(modem));
    }
    int CarrierDetect() override { return carrier; }
    int BytesWaiting() override { return static_cast<int>(buffer.size()); }
    int FreeSpace() override { return 4096 - static_cast<int>(buffer.size()); }
    void Discard() override {
        ++discards;
        buffer.clear();
    }
    int Write(const std::uint8_t* bytes, int count) override {
        written.emplace_back(bytes, bytes + count);
        return count;
    }
    int Read(std::uint8_t* bytes, int count) override {
        int n = 0;
        while (n < count && !buffer.empty()) {
            bytes[n++] = buffer.front();
            buffer.pop_front();
        }
        return n;
    }
    int Close() override {
        calls.push_back("close");
        if (closeResult == 0) {
            open = false;
        }
        return closeResult;
    }

    void Arrive(const std::vector<std::uint8_t>& bytes) {
        buffer.insert(buffer.end(), bytes.begin(), bytes.end());
        if (Listener() != nullptr) {
            Listener()->OnPortControl_IncomingData();
        }
    }
    void RaiseCarrier(int state) {
        carrier = state;
        if (Listener() != nullptr) {
            Listener()->OnPortControl_CdChange(state);
        }
    }

    int openResult = 1;
    int closeResult = 0;
    bool open = false;
    int carrier = 0;
    int discards = 0;
    std::deque<std::uint8_t> buffer;
    std::vector<std::string> calls;
    std::vector<std::vector<std::uint8_t>> written;
};
