#pragma once

#include <span>

// A dialog laid out as data: sizes and positions in dialog units, as in a
// Windows dialog resource. The framework turns it into Qt widgets (CDialog).

enum class ControlKind
{
    Label,        // static text
    Edit,         // single-line edit box
    ReadOnlyEdit, // edit box the user cannot type into
    Button,       // push button; clicking it sends its id to OnCommand
    GroupBox,
    RadioButton,
    ComboBox, // drop-down list; the position is the value exchanged with the meter
    Tree,
    TabControl,
    Grid, // custom control drawn by CGridCtrl
    Lamp, // static control drawn by CIndicatorLamp
};

struct ControlTemplate
{
    ControlKind kind;
    int id; // -1 for controls the code never looks up
    const char* text;
    int x, y, width, height;
    bool hidden = false;
    bool disabled = false;
};

struct DialogTemplate
{
    int id;
    const char* caption;
    const char* fontFamily; // the Windows face name; every dialog is drawn in the one dialog face
    int fontPointSize;
    int width, height;
    std::span<const ControlTemplate> controls;
};
