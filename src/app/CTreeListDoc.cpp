#include "app/CTreeListDoc.h"

#include "link/PortWriter.h"

CTreeListDoc::CTreeListDoc(Language language) : m_language(language) {}

CTreeListDoc::~CTreeListDoc() = default;

int CTreeListDoc::Write(const std::uint8_t* bytes, int count, int expectedReplyBytes)
{
    if (m_pPortWriter == nullptr) {
        return 0;
    }
    return m_pPortWriter->MF_Port_Write(bytes, count, expectedReplyBytes);
}
