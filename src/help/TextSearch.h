// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Finding words in help text as a Japanese reader expects: by substring (Japanese has no spaces between words),
// ignoring case, width and kana, so that ｱ, ア and あ, Ａ and A, ｶﾞ, ガ and が are the same. Qt Core only.
namespace help {

// A text in the form matching compares, with the position in the original of each of its characters.
struct FoldedText {
    QString text;
    QList<qsizetype> origin;
    qsizetype originalLength = 0;
};

// Decomposes each character into its compatibility form (width and composed kana undone),
// folds its case and writes hiragana as katakana; a run of white space becomes one space.
FoldedText foldText(QStringView text);
// The folded form alone, for keys and search words; leading and trailing space dropped.
QString foldKey(QStringView text);

// A place in the original text: start and length.
struct TextMatch {
    qsizetype start = 0;
    qsizetype length = 0;
};

// Every place, not overlapping, where the folded word occurs, in positions of the original
// text. A match that would end inside a character (ハ in バ) is none.
QList<TextMatch> findAll(const FoldedText& text, const QString& foldedWord);

// The full-text index of a help file: each page's text, folded, up to a number of characters in all (ours has some
// 15 000), so a page of many megabytes, or very many pages, cannot take hundreds of megabytes at the first search.
class SearchIndex {
public:
    static constexpr qsizetype kDefaultCapacity = 4 * 1024 * 1024;

    struct Hit {
        QString path;
        QString title;
        int count = 0;
    };

    explicit SearchIndex(qsizetype capacity = kDefaultCapacity) : mCapacity(capacity) {}

    // Adds as much of the page's text as there is room for; a page that finds none is left out.
    void addPage(const QString& path, const QString& title, QStringView text);
    bool isFull() const { return mSize >= mCapacity; }
    // The pages the words occur on, most hits first (then in the order they were added).
    QList<Hit> search(const QString& words) const;

private:
    struct Page {
        QString path;
        QString title;
        QString folded;
    };
    QList<Page> mPages;
    qsizetype mCapacity = kDefaultCapacity;
    qsizetype mSize = 0;
};

}  // namespace help
