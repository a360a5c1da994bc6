#include "app/CTreeListDoc.h"

#include "link/PortWriter.h"

CTreeListDoc::CTreeListDoc(Language language) : CTreeListDoc(language, CurrentWorkingDirectory()) {}

CTreeListDoc::CTreeListDoc(Language language, const std::string& workingDirectory)
    : m_language(language) {
    SetUpPcLogDirectory(workingDirectory);
}

CTreeListDoc::~CTreeListDoc() {
    // A log still open ends as at a disconnection: no record is left hidden and writable.
    EndPcLogsAtShutdown();
    // Closing the window closes the port first, so this reaches the line only when that
    // close failed.
    HangUpAtShutdown();
    SilenceAlarmTone();
    SaveTheRegistry();
    // Unit records and the scratch record are values of the document and go with it.
}

bool CTreeListDoc::OnNewDocument() {
    // Registration with the application object goes here.
    ProcessTheRegistry();
    SetUpAlarmTone();
    ProbeComPorts();
    CreateUnitRecords();
    return true;
}

int CTreeListDoc::Write(const std::uint8_t* bytes, int count, int expectedReplyBytes) {
    if (m_pPortWriter == nullptr) {
        return 0;
    }
    NoteLineSent(count, expectedReplyBytes);
    return m_pPortWriter->MF_Port_Write(bytes, count, expectedReplyBytes);
}
