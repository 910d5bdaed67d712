// How one word is written several ways (表記ゆれ): the same reading written
// in kana or in kanji (できる, 出来る), with more or less kana after the
// kanji (取り扱い, 取扱い), in hiragana or katakana, or a katakana word with
// or without its final ー (キャラクタ, キャラクター). Two different kanji for
// one reading (会う, 合う) are two words, not two spellings of one.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace prose {

// Hiragana as katakana; everything else as it is.
QString toKatakana(QStringView text);
// Hiragana, katakana and the long-vowel mark.
bool isKana(QChar c);
// The characters of a spelling that are not kana, in order: "取扱" for
// 取り扱い. Spellings of one word keep their kanji in the same order.
QString kanjiOf(QStringView spelling);
// Whether the characters of `part` stand in `whole` in the same order.
bool inOrder(QStringView part, QStringView whole);

// The reading of a word's base form, from the surface's: 出来た (デキタ) has
// the base 出来る, read デキル. None when the two differ otherwise than in
// their kana endings.
std::optional<QString> baseReading(QStringView surface, QStringView reading, QStringView base);

// The reading that spellings of one word share: the base form's reading,
// without the final ー of a katakana word of three or more characters
// before it (キャラクター and キャラクタ are one word).
QString sharedReading(QStringView base, QStringView reading);

// The surface of a word written with another spelling of its base form:
// 出来た, read デキタ, with the base 出来る written できる, is できた. None
// when the other spelling does not end as the base does after the part the
// surface shares, or when a respelling in kana would not read as the
// surface does (来た is not くた).
std::optional<QString> respell(QStringView surface, QStringView reading, QStringView base, QStringView otherBase);

// Spellings of one reading that are one word's: those whose kanji stand in
// order in one and the same spelling's. When the kanji of two spellings
// cannot be told apart that way (会う, 合う), each keeps to its own and the
// kana spellings, which could be either, join none. `spellings` are
// distinct; the result holds groups of two or more, as indices into it.
std::vector<std::vector<std::size_t>> sameWord(const std::vector<QString> &spellings);

} // namespace prose
