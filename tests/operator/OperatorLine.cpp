#include "OperatorLine.h"

#include "OperatorFarms.h"

OperatorLine::OperatorLine(OperatorFarms& farms) : m_farms(farms) {
    m_farms.Attach(this);
}

OperatorLine::~OperatorLine() {
    m_farms.Close();
    m_farms.Attach(nullptr);
}

void OperatorLine::RaiseIncomingData() {
    if (Listener() != nullptr) {
        Listener()->OnPortControl_IncomingData();
    }
}

void OperatorLine::SetPortNumber(int comPort) {
    m_farms.SetPortNumber(comPort);
}

int OperatorLine::Open() {
    return m_farms.Open();
}

int OperatorLine::CarrierDetect() {
    return m_farms.CarrierDetect();
}

int OperatorLine::BytesWaiting() {
    return m_farms.BytesWaiting();
}

int OperatorLine::FreeSpace() {
    return 4096 - m_farms.BytesWaiting();
}

void OperatorLine::Discard() {
    m_farms.Discard();
}

int OperatorLine::Write(const std::uint8_t* bytes, int count) {
    return m_farms.Write(bytes, count);
}

int OperatorLine::Read(std::uint8_t* bytes, int count) {
    return m_farms.Read(bytes, count);
}

int OperatorLine::Close() {
    return m_farms.Close();
}
