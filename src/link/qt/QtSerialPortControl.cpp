#include "link/qt/QtSerialPortControl.h"

#include "config/ConfigPaths.h"
#include "link/PortOpenProblem.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <limits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool ToDataBits(int bits, QSerialPort::DataBits& out) {
    switch (bits) {
    case 5:
        out = QSerialPort::Data5;
        return true;
    case 6:
        out = QSerialPort::Data6;
        return true;
    case 7:
        out = QSerialPort::Data7;
        return true;
    case 8:
        out = QSerialPort::Data8;
        return true;
    default:
        return false;
    }
}

// 0 none, 1 odd, 2 even, 3 mark, 4 space.
bool ToParity(int parity, QSerialPort::Parity& out) {
    switch (parity) {
    case 0:
        out = QSerialPort::NoParity;
        return true;
    case 1:
        out = QSerialPort::OddParity;
        return true;
    case 2:
        out = QSerialPort::EvenParity;
        return true;
    case 3:
        out = QSerialPort::MarkParity;
        return true;
    case 4:
        out = QSerialPort::SpaceParity;
        return true;
    default:
        return false;
    }
}

// 0 one stop bit, 1 one and a half, 2 two.
bool ToStopBits(int stopBits, QSerialPort::StopBits& out) {
    switch (stopBits) {
    case 0:
        out = QSerialPort::OneStop;
        return true;
    case 1:
        out = QSerialPort::OneAndHalfStop;
        return true;
    case 2:
        out = QSerialPort::TwoStop;
        return true;
    default:
        return false;
    }
}

// errno of a read-write access check of the device, 0 when this user may use it.
int AccessErrno(const QString& device) {
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0 ? 0 : errno;
#else
    // A COM port refuses a second opener as "access denied"; users need no permission for it.
    Q_UNUSED(device);
    return 0;
#endif
}

int ClampToInt(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

QtSerialPortControl::QtSerialPortControl(QObject* parent)
    : QObject(parent), m_port(this), m_carrierTimer(this) {
    m_carrierTimer.setInterval(kCarrierPollMs);
    connect(&m_carrierTimer, &QTimer::timeout, this, &QtSerialPortControl::PollCarrier);
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPortControl::OnReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPortControl::OnErrorOccurred);
}

QtSerialPortControl::~QtSerialPortControl() {
    // No events from a control that is going away.
    m_port.disconnect(this);
    m_carrierTimer.stop();
    if (m_port.isOpen()) {
        m_port.close();
    }
}

int QtSerialPortControl::Open() {
    if (m_port.isOpen()) {
        Close();
    }
    m_bLossPending = false;
    m_bCarrier = false;
    m_bHasModemLines = false;
    m_strOpenError.clear();
    m_strDevicePath = QString::fromStdString(ComPortDevicePath(m_iPortNumber));
    if (m_strDevicePath.isEmpty()) {
        m_strOpenError = QStringLiteral("no device for COM%1").arg(m_iPortNumber);
        return 0;
    }

    QSerialPort::DataBits dataBits{};
    QSerialPort::Parity parity{};
    QSerialPort::StopBits stopBits{};
    if (m_iBitsPerSecond <= 0 || !ToDataBits(m_iDataBits, dataBits) ||
        !ToParity(m_iParity, parity) || !ToStopBits(m_iStopBits, stopBits)) {
        m_strOpenError = QStringLiteral("unsupported line settings");
        return 0;
    }

    m_port.setPortName(m_strDevicePath);
    const bool configured = m_port.setBaudRate(m_iBitsPerSecond) && m_port.setDataBits(dataBits) &&
                            m_port.setParity(parity) && m_port.setStopBits(stopBits) &&
                            m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured || !m_port.open(QIODevice::ReadWrite)) {
        m_strOpenError = OpenErrorText();
        if (m_port.isOpen()) {
            m_port.close();
        }
        m_port.clearError();
        return 0;
    }
    // Bytes that reached the device before the program opened it belong to nobody.
    m_port.clear(QSerialPort::Input);
    m_port.clearError();

    // A device without modem-control lines answers the first query with an error; it then has
    // no carrier, and nothing is polled.
    const QSerialPort::PinoutSignals pins = m_port.pinoutSignals();
    m_bHasModemLines = m_port.error() == QSerialPort::NoError;
    m_port.clearError();
    if (m_bHasModemLines) {
        m_bCarrier = (pins & QSerialPort::DataCarrierDetectSignal) != 0;
        m_carrierTimer.start();
    }
    return 1;
}

QString QtSerialPortControl::OpenErrorText() const {
    auto cause = PortOpenProblem::Cause::Other;
    // Qt reports a lock or an exclusive open held by another program as a permission error,
    // in words that send the operator after the wrong remedy.
    if (m_port.error() == QSerialPort::PermissionError) {
        const bool lockFileNotCreated =
            m_port.errorString() == QSerialPort::tr("Permission error while creating lock file");
        cause =
            PortOpenProblem::OfPermissionError(AccessErrno(m_strDevicePath), lockFileNotCreated);
    }
    return QString::fromStdString(PortOpenProblem::Text(cause, m_strDevicePath.toStdString(),
                                                        m_port.errorString().toStdString()));
}

void QtSerialPortControl::SetReceiveEnabled(int enabled) {
    m_bReceiveEnabled = enabled != 0;
}

void QtSerialPortControl::SetModemControl(int modemLine) {
    m_bModemLine = modemLine != 0;
    RaiseLines();
}

void QtSerialPortControl::RaiseLines() {
    if (!m_port.isOpen()) {
        return;
    }
    // Fails on a device without modem-control lines; the line works all the same.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(true);
    m_port.clearError();
}

bool QtSerialPortControl::ReadCarrier() {
    if (!m_port.isOpen() || !m_bHasModemLines) {
        return false;
    }
    const QSerialPort::PinoutSignals pins = m_port.pinoutSignals();
    if (m_port.error() != QSerialPort::NoError) {
        // A query that failed says nothing about the carrier; a device that is gone has
        // reported itself through the error handler already.
        m_port.clearError();
        return m_bCarrier;
    }
    return (pins & QSerialPort::DataCarrierDetectSignal) != 0;
}

void QtSerialPortControl::PollCarrier() {
    if (!m_port.isOpen() || m_bLossPending) {
        m_carrierTimer.stop();
        return;
    }
    const bool carrier = ReadCarrier();
    if (carrier == m_bCarrier) {
        return;
    }
    m_bCarrier = carrier;
    if ((m_bModemLine || !carrier) && Listener() != nullptr) {
        Listener()->OnPortControl_CdChange(carrier ? 1 : 0);
    }
}

int QtSerialPortControl::CarrierDetect() {
    // The polled state: the change event for it has been raised already, so a caller that
    // acts on this value cannot see a carrier before the event did.
    return (m_port.isOpen() && m_bCarrier) ? 1 : 0;
}

int QtSerialPortControl::BytesWaiting() {
    return m_port.isOpen() ? ClampToInt(m_port.bytesAvailable()) : 0;
}

int QtSerialPortControl::FreeSpace() {
    return std::max(0, kReceiveCapacity - BytesWaiting());
}

void QtSerialPortControl::Discard() {
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::Input);
    }
}

int QtSerialPortControl::Write(const std::uint8_t* bytes, int count) {
    if (!m_port.isOpen() || m_bLossPending || bytes == nullptr || count <= 0) {
        return 0;
    }
    const qint64 written = m_port.write(reinterpret_cast<const char*>(bytes), count);
    // Onto the line now rather than at the event loop's next turn. The second call finds the
    // write done and stops watching for room to write, which would wake the loop once more.
    m_port.flush();
    m_port.flush();
    return ClampToInt(written);
}

int QtSerialPortControl::Read(std::uint8_t* bytes, int count) {
    if (!m_port.isOpen() || bytes == nullptr || count <= 0) {
        return 0;
    }
    return ClampToInt(m_port.read(reinterpret_cast<char*>(bytes), count));
}

int QtSerialPortControl::Close() {
    m_carrierTimer.stop();
    if (m_port.isOpen()) {
        m_bClosing = true;
        m_port.close();
        m_bClosing = false;
    }
    m_port.clearError();
    m_bCarrier = false;
    return 0;
}

void QtSerialPortControl::OnReadyRead() {
    if (m_bReceiveEnabled && !m_bLossPending && Listener() != nullptr) {
        Listener()->OnPortControl_IncomingData();
    }
}

void QtSerialPortControl::OnErrorOccurred(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError) {
        return;
    }
    ++m_iErrorReports;
    const bool fatal = error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
    if (!fatal || m_bClosing || !m_port.isOpen() || m_bLossPending) {
        return;
    }
    // Qt may be inside a call of ours, or about to report the same error again: end the port
    // from the event loop, once.
    m_bLossPending = true;
    m_carrierTimer.stop();
    QMetaObject::invokeMethod(this, &QtSerialPortControl::EndLostPort, Qt::QueuedConnection);
}

void QtSerialPortControl::EndLostPort() {
    if (!m_bLossPending) {
        return;
    }
    if (m_port.isOpen()) {
        emit portLost();
    }
    if (m_port.isOpen()) {
        Close();
    }
    m_bLossPending = false;
}
