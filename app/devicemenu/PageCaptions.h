#pragma once
// Values named as the window shows them: the title of the group box a value's control sits in, and
// the control's own label (its buddy label, or the text of a check box or radio group). The control
// is found through the property at the path, which is bound to the page that shows the document's
// device; a value without a control on that page is named after its place in the document.

#include <QString>

class tZCfgFile;

struct tPageCaption {
    QString Group;   // "Relay Active On Call Types"; empty where the control is in no group box
    QString Caption; // "Call"
    // "Group: Caption", or the caption alone.
    QString Text() const;
};

// The caption of the value at the path (as a difference or `zcfg show` names it). Empty for a path
// that names no value.
tPageCaption PageCaption(tZCfgFile& document, const QString& path);
