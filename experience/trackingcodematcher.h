#ifndef PLAVODELIVERY_TRACKINGCODEMATCHER_H
#define PLAVODELIVERY_TRACKINGCODEMATCHER_H

#include <QString>

// Decides whether a scanned barcode belongs to a registered tracking code.
// Users register codes as printed ("73 0291-8465", "Waybill: 4086215730"),
// scanners report the plain code, sometimes inside a longer barcode.
class TrackingCodeMatcher
{
public:
    // Registered codes shorter than this only match exactly: a short code
    // must never open the gate for any barcode that happens to contain it.
    static constexpr int minimumEmbeddedLength = 8;

    // Upper-case letters and digits only; everything else is dropped.
    static QString normalise(const QString &code);

    static bool matches(const QString &registeredCode, const QString &scannedCode);
};

#endif // PLAVODELIVERY_TRACKINGCODEMATCHER_H
