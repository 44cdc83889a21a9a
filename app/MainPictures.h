#pragma once
// The main window's image lists: device pictures, the programmer link's status lights, the
// self-test result and the Undo/Redo glyphs.

#include <QIcon>
#include <QList>
#include <QObject>

class TImageList;

// Device picture indices: 0 MPD unit, 1 relay output, 2 zone indicator, 3 pendant transmitter,
// 4 staff transmitter, 5 ZX250 call point.
class TMainImageLists : public QObject {
public:
    explicit TMainImageLists(QObject* parent = nullptr);

    TImageList* ImageListDevices;  // 164 x 164, six pictures
    TImageList* ImageListAutoTest; // 24 x 24: no result, programmer found, passed
    TImageList* ImageListOpen;     // 24 x 24: closed, open
    TImageList* ImageListTx;       // 24 x 24: idle, sending
    TImageList* ImageListRx;       // 24 x 24: idle, receiving, time-out
    // Undo enabled, redo enabled, undo disabled, redo disabled.
    QList<QIcon> ImageListUndoRedo;

    // The picture file names of the device pictures, by index ("mpd", "relay", ...).
    static QString DevicePictureName(int index);
    static constexpr int DevicePictureCount = 6;
};
