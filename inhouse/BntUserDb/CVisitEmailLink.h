// CVisitEmailLink: one e-mail recipient of a visit (a VISIT_EMAIL_LINK row): a plain address, the
// host, the visitor, or the default recipients of a segment.
//
// A plain value type; copies are independent.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CVisitEmailLink
{
public:
    // SEGMENTID of a recipient that is not the default recipients of a segment.
    static constexpr LONG kNoSegment = -9999;
    // The longest address kept (the column's size).
    static constexpr int kMaxAddressLength = 255;

    // A recipient of the visit; recipientNumber is its number within the visit (EMAILID).
    CVisitEmailLink(LONG visitId, LONG recipientNumber);

    // Sets the address. False (address unchanged) for an empty text, one longer than
    // kMaxAddressLength, or one holding a control character: an address goes into the header of
    // a mail, where a line break would start a header of the sender's choosing.
    bool SetEmailAddress(const CString& address);
    // True for a text SetEmailAddress accepts.
    static bool IsValidEmailAddress(const CString& address);

    void SetHost(bool host) { m_host = host; }
    void SetVisitor(bool visitor) { m_visitor = visitor; }
    void SetPersonID(LONG personId) { m_personId = personId; }
    void SetSegmentID(LONG segmentId) { m_segmentId = segmentId; }
    void SetRecipientNumber(LONG number) { m_recipientNumber = number; }

    LONG GetVisitID() const { return m_visitId; }
    LONG GetRecipientNumber() const { return m_recipientNumber; }
    const CString& GetEmailAddress() const { return m_address; }
    bool IsHost() const { return m_host; }
    bool IsVisitor() const { return m_visitor; }
    LONG GetPersonID() const { return m_personId; }
    LONG GetSegmentID() const { return m_segmentId; }

private:
    LONG m_visitId;
    LONG m_recipientNumber;
    CString m_address;
    bool m_host = false;
    bool m_visitor = false;
    LONG m_personId = 0;
    LONG m_segmentId = kNoSegment;
};
