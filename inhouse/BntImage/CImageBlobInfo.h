// CImageBlobInfo: what the imaging library tells about a picture held in memory: whether the
// bytes are a picture of a known format (JPEG, GIF, PNG, TIFF, ICO, BMP), told by the magic
// bytes at their start, and the file extension of that format.
//
// A value object owned by its caller; it keeps only the detected format, never the bytes.
// Not shared between threads while LoadFromBlob runs.
#pragma once

#include <cstddef>

#include "platform/win32/WinTypes.h"

class CImageBlobInfo
{
public:
    // Format codes of the detected picture.
    enum FormatCode : WORD
    {
        kUnknown = 0,
        kJpeg = 1,
        kGif = 2,
        kPng = 3,
        kTiff = 4,
        kIcon = 5,
        kBitmap = 6
    };

    CImageBlobInfo() = default;

    // Reads the format from the first bytes of data (length bytes; null or short data is no
    // picture). frameIndex and flags are accepted as the library takes them and not used.
    // True with the format set when the bytes start like a known picture; false (format
    // kUnknown) otherwise.
    bool LoadFromBlob(const BYTE* data, std::size_t length, int frameIndex, int flags);

    // The format the last LoadFromBlob detected; kUnknown before one succeeded.
    WORD GetFileFormatCode() const { return m_format; }

    // The file extension of a format, lower case without a point ("jpg", "gif", "png", "tif",
    // "ico", "bmp"); the empty text for kUnknown and any other code. The text is static.
    static const wchar_t* FileExtensionFromFileFormatCode(WORD format);

private:
    WORD m_format = kUnknown;
};
