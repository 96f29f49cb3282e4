// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextEncoding.h"

#include <array>
#include <atomic>
#include <mutex>

namespace QmrM {
namespace {

// Which byte sequences code page 932 holds, learnt from decodeCp932 itself so that the tables and the decoder
// never disagree: the bytes that are a character alone, and for each other byte the bytes that complete it.

const std::array<bool, 256>& singles()
{
    static const std::array<bool, 256> single = [] {
        std::array<bool, 256> bytes{};
        for (int b = 0; b < 256; ++b)
            bytes[size_t(b)] = decodeCp932(QByteArray(1, char(b))).has_value();
        return bytes;
    }();
    return single;
}

// A row is learnt when a byte first begins a character there (a file uses a few); other threads may ask meanwhile.
bool isPair(uchar first, uchar second)
{
    static std::array<std::array<bool, 256>, 256> pairs{};
    static std::array<std::atomic<bool>, 256> learnt{};
    static std::mutex learning;
    if (!learnt[first].load(std::memory_order_acquire)) {
        const std::lock_guard<std::mutex> lock(learning);
        if (!learnt[first].load(std::memory_order_relaxed)) {
            char bytes[2] = {char(first), 0};
            for (int b = 0; b < 256; ++b) {
                bytes[1] = char(b);
                pairs[first][size_t(b)] = decodeCp932(QByteArray(bytes, 2)).has_value();
            }
            learnt[first].store(true, std::memory_order_release);
        }
    }
    return pairs[first][second];
}

}  // namespace

bool isValidCp932(QByteArrayView bytes)
{
    Cp932Check check;
    check.add(bytes);
    return check.valid();
}

void Cp932Check::add(QByteArrayView piece)
{
    if (!mValid || piece.isEmpty())
        return;
    const std::array<bool, 256>& single = singles();
    const auto* data = reinterpret_cast<const uchar*>(piece.data());
    const qsizetype n = piece.size();
    qsizetype i = 0;
    bool valid = true;
    if (mLead >= 0) {
        valid = isPair(uchar(mLead), data[0]);
        mLead = -1;
        i = 1;
    }
    while (valid && i < n) {
        // In locals, so that the loop over a long file runs in registers.
        while (i < n && single[data[i]])
            ++i;
        if (i + 1 < n) {
            valid = isPair(data[i], data[i + 1]);
            i += 2;
        } else if (i < n) {
            mLead = data[i];  // completed, or not, by the next piece
            ++i;
        }
    }
    mValid = valid;
}

QString decodeCp932Leniently(const QByteArray& bytes)
{
    // Text as the program writes it is decoded whole. Otherwise the runs of characters are, and every byte that
    // begins none (a NUL, a stray byte, a first byte without its second) becomes U+FFFD.
    if (!bytes.contains('\0')) {
        if (auto text = decodeCp932(bytes))
            return std::move(*text);
    }
    QString out;
    qsizetype run = 0;
    const auto endRun = [&](qsizetype end) {
        if (end > run)
            out += decodeCp932(bytes.mid(run, end - run)).value_or(QString());
    };
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar first = uchar(bytes[i]);
        if (first != 0 && singles()[first]) {
            ++i;
        } else if (first != 0 && i + 1 < bytes.size() && isPair(first, uchar(bytes[i + 1]))) {
            i += 2;
        } else {
            endRun(i);
            out += QChar(QChar::ReplacementCharacter);
            run = ++i;
        }
    }
    endRun(i);
    return out;
}

std::optional<QString> cp932StoredForm(const QString& text)
{
    const auto bytes = encodeCp932(text);
    if (!bytes)
        return std::nullopt;
    return decodeCp932(*bytes);
}

QString decodeUtf8OrCp932(const QByteArray& bytes)
{
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    // Bytes that end inside a UTF-8 character are not UTF-8 (a decoder would drop the cut character).
    if (QByteArrayView(body).isValidUtf8())
        return QString::fromUtf8(body);
    if (const auto sjis = decodeCp932(body))
        return *sjis;
    return decodeCp932Leniently(body);
}

QString decodeDeclared(const QByteArray& bytes, QStringView charset)
{
    static const QLatin1String shiftJisNames[] = {
        QLatin1String("shift_jis"), QLatin1String("shift-jis"),  QLatin1String("sjis"),        QLatin1String("x-sjis"),
        QLatin1String("ms_kanji"),  QLatin1String("csshiftjis"), QLatin1String("windows-31j"), QLatin1String("cp932"),
        QLatin1String("ms932"),     QLatin1String("x-ms-cp932")};
    for (const QLatin1String name : shiftJisNames) {
        if (charset.compare(name, Qt::CaseInsensitive) == 0) {
            if (const auto text = decodeCp932(bytes))
                return *text;
            break;
        }
    }
    return decodeUtf8OrCp932(bytes);
}

}  // namespace QmrM
