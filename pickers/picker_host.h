// What a picker needs of the window that opened it: the two authoring
// options, read from the window's controls at the moment they are asked
// for, the one insertion into Text1, and the focus back in Text1.
#pragma once

#include "markup/vocabulary.h"

#include <QStringView>

#include <optional>

class PickerHost
{
public:
    // The install type whose menu item carries the check mark; none only
    // if neither does, which the menu never allows.
    virtual std::optional<markup::InstallType> installType() const = 0;
    // Whether a sprite picker also writes the speaker's name.
    virtual bool nameDisplayOn() const = 0;
    // Inserts a fragment at the caret of Text1, replacing its selection.
    virtual void insert(QStringView fragment) = 0;
    // Gives Text1 the keyboard focus, its window in front.
    virtual void focusText() = 0;

protected:
    ~PickerHost() = default;
};
