// Every asset the game has under one install type, as one list: each row of
// each catalogue a picker lists, with whose it is and where it stands in its
// catalogue, so that a row chosen here is written exactly as its picker
// writes it. Built from the vocabulary; the tables stay where they are.
#pragma once

#include "catalogues/catalogue.h"
#include "markup/vocabulary.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace assets {

enum class Kind { Music, Sound, Place, Sprite, Event };

struct Asset {
    Kind kind;
    // Sprites: whose they are. Event pictures: the set they belong to (a
    // cast member's, or the demo pictures), and its cast member if any.
    const markup::CastMember *member = nullptr;
    const markup::EventPictures *pictures = nullptr;
    // The list its picker loads under the install type, and its row there.
    catalogues::Catalogue catalogue;
    std::size_t row = 0;
    // "音楽", "効果音", "場所", "星野ゆらの立ち絵", "星野ゆらのイベントCG",
    // "デモCG他".
    QString kindLabel;
    // The texts matched against, folded (see matching.h): the display name,
    // and for a picture its file's stem ("cgyr10").
    QString foldedName;
    QString foldedStem;

    QStringView name() const;
    // What its tag names in SRC=: the name itself, or a picture's path.
    QStringView reference() const;
    bool isPicture() const { return kind == Kind::Sprite || kind == Kind::Event; }
    // The picture's path; empty for the assets named by their titles.
    QStringView file() const { return isPicture() ? reference() : QStringView(); }
    // The black screen, the last place, which is written as a colour.
    bool isBlackScreen() const { return kind == Kind::Place && row == catalogues::blackScreenPlaceRow; }
};

// Every row under `type`: music, sound effects, places, the cast's sprites
// in the order of the button row, the demo pictures, then the cast's event
// pictures in the order of their menu. Built on first use; the rows live as
// long as the program.
const std::vector<Asset> &index(markup::InstallType type);

// "CGYR10" for "PDT\CGYR10.PDT": what follows the last backslash, without
// its extension. A text without either is its own stem.
QStringView fileStem(QStringView path);

} // namespace assets
