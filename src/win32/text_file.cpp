// SPDX-License-Identifier: MIT
#include "win32/text_file.h"

#include "core/utf8_text.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

#include <windows.h>

namespace orvane2::win32 {

namespace {

constexpr DWORD kChunkSize = 1 << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr unsigned kWindows1251 = 1251;

// What a pass over the file does with each piece: false stops the pass.
using PieceHandler = std::function<bool(std::string_view piece)>;

// Reads the file from its start, a chunk at a time, and hands each chunk to handle ending
// on a whole UTF-8 character: a sequence cut off by the chunk's end goes on with the next
// chunk. What is left at the end of the file is handed over last, whole or not. False
// when a read fails.
bool ForEachPiece(HANDLE file, const PieceHandler& handle)
{
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN))
        return false;
    std::string chunk;  // a cut-off sequence of the previous chunk, then the bytes read
    bool atStart = true;
    for (;;) {
        const std::size_t carried = chunk.size();
        chunk.resize(carried + kChunkSize);
        DWORD got = 0;
        if (!ReadFile(file, chunk.data() + carried, kChunkSize, &got, nullptr))
            return false;
        chunk.resize(carried + got);
        if (atStart && chunk.starts_with(kByteOrderMark))
            chunk.erase(0, kByteOrderMark.size());
        atStart = false;
        const bool atEnd = got == 0;
        const std::size_t whole = atEnd ? chunk.size() : WholeCharacters(chunk);
        if (whole > 0 && !handle(std::string_view(chunk).substr(0, whole)))
            return true;
        if (atEnd)
            return true;
        chunk.erase(0, whole);
    }
}

bool IsUtf8(std::string_view piece)
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, piece.data(), static_cast<int>(piece.size()), nullptr,
                               0) > 0;
}

}  // namespace

bool ReadTextFile(const std::wstring& path, const std::function<void(std::string_view)>& take)
{
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;
    bool utf8 = true;
    if (!ForEachPiece(file.get(), [&](std::string_view piece) { return utf8 = IsUtf8(piece); }))
        return false;
    return ForEachPiece(file.get(), [&](std::string_view piece) {
        if (utf8)
            take(piece);
        else
            take(Narrow(FromCodePage(piece, kWindows1251)));
        return true;
    });
}

}  // namespace orvane2::win32
