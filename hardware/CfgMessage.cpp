#include "hardware/CfgMessage.h"

#include <algorithm>

#include "hardware/RpcBlock.h"

CfgMessage::CfgMessage(int code, int second, int third)
{
    RpcBlock::PutLong(m_block, kCodeOffset, code);
    RpcBlock::PutLong(m_block, kSecondOffset, second);
    RpcBlock::PutLong(m_block, kThirdOffset, third);
    RpcBlock::PutLong(m_block, kMinusOneOffset, -1);
}

int CfgMessage::GetCode() const
{
    return GetLong(kCodeOffset);
}

void CfgMessage::SetCode(int code)
{
    SetLong(kCodeOffset, code);
}

bool CfgMessage::SetLong(std::size_t offset, LONG value)
{
    return RpcBlock::PutLong(m_block, offset, value);
}

bool CfgMessage::SetLongLong(std::size_t offset, LONGLONG value)
{
    return RpcBlock::PutLongLong(m_block, offset, value);
}

bool CfgMessage::SetShort(std::size_t offset, USHORT value)
{
    return RpcBlock::PutShort(m_block, offset, value);
}

bool CfgMessage::SetByte(std::size_t offset, BYTE value)
{
    return RpcBlock::PutByte(m_block, offset, value);
}

LONG CfgMessage::GetLong(std::size_t offset) const
{
    return RpcBlock::Long(m_block, offset);
}

LONGLONG CfgMessage::GetLongLong(std::size_t offset) const
{
    LONGLONG value = 0;
    RpcBlock::GetLongLong(m_block, offset, &value);
    return value;
}

std::span<BYTE> CfgMessage::Data()
{
    return std::span<BYTE>(m_block).subspan(kDataOffset, kDataSize);
}

void CfgMessage::ClearData()
{
    std::fill_n(m_block.begin() + kDataOffset, kDataSize, BYTE{0});
}

bool CfgMessage::SetText(const CString& text)
{
    if (text.GetLength() > kMaxTextLength)
        return false;
    m_text = text;
    return true;
}

std::vector<BYTE> CfgMessage::ToBlock() const
{
    const std::vector<BYTE> text = RpcBlock::Utf16WithTerminator(m_text.GetWString());
    std::vector<BYTE> block(m_block.begin(), m_block.end());
    block.resize(kBlockSize + 4);
    RpcBlock::PutLong(block, kBlockSize, static_cast<LONG>(text.size()));
    block.insert(block.end(), text.begin(), text.end());
    return block;
}
