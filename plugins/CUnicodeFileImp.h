// CUnicodeFileImp: line-by-line UTF-16LE text with a byte-order mark and CR LF line ends.
#pragma once

#include "plugins/CBinaryFileImp.h"

// Both operations reach the file only through the virtual GetPosition, Seek, Read and Write.
class CUnicodeFileImp : public CBinaryFileImp {
public:
    CUnicodeFileImp();
    explicit CUnicodeFileImp(HINSTANCE hModule);
    ~CUnicodeFileImp() override;

    // One line without its LF; every CR is dropped; the mark is skipped at position 0. Nonzero when
    // a line was read, 0 at the end of the file. An odd last byte is no code unit and is dropped.
    virtual int ReadString(CString& strLine);
    // The text with each LF written as CR LF, after the mark when at position 0; no line end of its own.
    virtual void WriteString(const CString& strText);
};
