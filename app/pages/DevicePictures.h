#pragma once
// The device pictures of the main window (SVG, drawn for 164 x 164 pixels and sharp at any scale).

#include <QStringList>

// Makes the pictures' resource available; safe to call more than once.
void InitDevicePictures();
// The resource paths in the order of the window's device picture list: MPD unit, relay output,
// zone indicator, pendant, staff transmitter, ZX250 call point.
QStringList DevicePictureFiles();
