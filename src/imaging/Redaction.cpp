#include "imaging/Redaction.h"

#include <algorithm>
#include <cstdint>

namespace orv {

QImage RedactablePicture(const QImage& picture) {
    if (picture.format() == QImage::Format_RGB32 ||
        picture.format() == QImage::Format_ARGB32_Premultiplied)
        return picture;
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
}

void RedactArea(const QImage& original, QImage& out, QRect area, QRect clip, bool black) {
    const QRect whole = area & clip & out.rect() & original.rect();
    if (whole.isEmpty()) return;
    if (black) {
        for (int y = whole.top(); y <= whole.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            std::fill(row + whole.left(), row + whole.right() + 1, qRgb(0, 0, 0));
        }
        return;
    }
    const QRect inPicture = area & original.rect();
    const int k = kRedactionBlock;
    // The first and last block (counted from the area's corner) that meet the clip.
    const int bx0 = (whole.left() - area.left()) / k, bx1 = (whole.right() - area.left()) / k;
    const int by0 = (whole.top() - area.top()) / k, by1 = (whole.bottom() - area.top()) / k;
    for (int by = by0; by <= by1; ++by) {
        for (int bx = bx0; bx <= bx1; ++bx) {
            const QRect block = QRect(area.left() + bx * k, area.top() + by * k, k, k) & inPicture;
            if (block.isEmpty()) continue;
            uint64_t sum[4] = {0, 0, 0, 0};
            for (int y = block.top(); y <= block.bottom(); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(original.constScanLine(y));
                for (int x = block.left(); x <= block.right(); ++x) {
                    const QRgb p = row[x];
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    sum[3] += qAlpha(p);
                }
            }
            const uint64_t n = static_cast<uint64_t>(block.width()) * block.height();
            const auto mean = [&](int c) { return static_cast<int>((sum[c] + n / 2) / n); };
            const QRgb m = original.format() == QImage::Format_RGB32
                               ? qRgb(mean(0), mean(1), mean(2))
                               : qRgba(mean(0), mean(1), mean(2), mean(3));
            const QRect put = block & whole;
            for (int y = put.top(); y <= put.bottom(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
                std::fill(row + put.left(), row + put.right() + 1, m);
            }
        }
    }
}

}  // namespace orv
