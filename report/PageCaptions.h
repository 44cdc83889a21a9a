#pragma once
// Every value a device page shows, under the caption and group the page shows it with: the one
// table the window's reports and difference lists and zcfg's use, so that both name a value alike.
//
// The table is kept here by hand, beside the pages' forms rather than derived from them, so that
// zcfg, which has no widgets, reads the same captions. The report tests bind every page and compare
// each row with the control it names (its buddy label, check box text or radio group title, and the
// title of the group box around it), and every bound control of a page with its row: a caption
// changed on a page and not here fails the suite.

#include <QList>
#include <QString>
#include <cstdint>
#include <span>

class tZCfgFile;

// How a page shows a value.
enum class tShownAs : uint8_t {
    Value, // the value's own text; a check box as "Yes" or "No"
    Area,  // the letter of the zone/group address ("C"), "Unassigned" while the node is unassigned
    Zone,  // the zone/group address as a number, "Unassigned" while the node is unassigned
    Flags, // the special flags as their bit mask in hexadecimal ("007")
};

struct tPageCaption {
    const char* Control; // the control's object name on the page
    const char* Path;    // the value, as `zcfg show` names it
    const char* Group;   // the title of the group box around it; empty for a radio group, its own box
    const char* Caption; // its buddy label, its own text (a check box) or its title (a radio group)
    tShownAs ShownAs = tShownAs::Value;
};

// The rows of the page that shows the device type, in the page's reading order; none for a type
// without a page.
std::span<const tPageCaption> PageCaptions(int type);

struct tShownValue {
    QString Group;
    QString Caption;
    QString Text; // as the page shows it
    QString Path;
};

// Every value the page of the document's device type shows, in the page's order.
QList<tShownValue> ShownValues(tZCfgFile& document);
// The text a page shows for one row's value; empty when the document has no such value.
QString ShownValueText(tZCfgFile& document, const tPageCaption& row);

// A value named as the window shows it: the group box around its control and the control's caption.
struct tValueName {
    QString Group;   // "Relay Active On Call Types"; empty where the control is in no group box
    QString Caption; // "Call"
    // "Group: Caption", or the caption alone.
    QString Text() const;
};
// The name of the value at `path` in the document: its row on the page of the document's device
// type; a value that page does not show (a transmitter's factory record, the device type) is named
// after its place in the document, with the part of the device it belongs to as its group. Empty for
// a path that names no value.
tValueName ValueName(tZCfgFile& document, const QString& path);

// "Group: Caption" of the value at `path` on the page of the device type ("Caption" for a radio
// group); empty when that page does not show it.
QString ValueCaption(int type, const QString& path);

struct tValueDifference;
// One line per difference, "Caption: ours -> theirs", the caption as the page of the device type
// shows the value (ValueCaption), or the last part of its path where the page does not show it.
QStringList CaptionedDifferenceLines(const QList<tValueDifference>& differences, int type);
