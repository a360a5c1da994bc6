#pragma once

// A document started on a hive in a temporary folder, with chosen COM ports, as the program
// starts it; destroying it runs the program's end.

#include "ConfigTestSupport.h"

#include "app/CTreeListDoc.h"
#include "config/ComPortProbe.h"
#include "config/HiveFileBackend.h"

#include <memory>
#include <set>

namespace configtest {

class FakeComPortProbe : public ComPortProbe {
public:
    explicit FakeComPortProbe(std::set<int> ports = {}) : m_ports(std::move(ports)) {}
    bool IsPortAvailable(int portNumber) override { return m_ports.count(portNumber) != 0; }

private:
    std::set<int> m_ports;
};

class ProgramRun {
public:
    explicit ProgramRun(const std::string& hivePath, std::set<int> ports = {})
        : m_hive(hivePath), m_recorder(m_hive), m_probe(std::move(ports)),
          m_doc(std::make_unique<CTreeListDoc>()) {
        m_doc->SetRegistryBackend(&m_recorder);
        m_doc->SetComPortProbe(&m_probe);
    }
    ~ProgramRun() { End(); }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    CTreeListDoc& Start() {
        m_doc->OnNewDocument();
        return *m_doc;
    }
    CTreeListDoc& Doc() { return *m_doc; }
    // The document's destruction, as at the end of the program.
    void End() { m_doc.reset(); }
    RecordingBackend& Registry() { return m_recorder; }
    HiveFileBackend& Hive() { return m_hive; }

private:
    HiveFileBackend m_hive;
    RecordingBackend m_recorder;
    FakeComPortProbe m_probe;
    std::unique_ptr<CTreeListDoc> m_doc;
};

} // namespace configtest
