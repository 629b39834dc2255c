// Every pixel of a picture mapped to its nearest palette entry, in bands of rows on helper
// threads, so that a writer can compress the first rows while later ones are still mapped.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orv::detail {

class PaletteMapping {
  public:
    // Starts mapping `picture` (Format_RGB32) onto `palette` (1 to 256 entries). A small
    // picture is mapped at once on the calling thread.
    PaletteMapping(const QImage& picture, const QList<QRgb>& palette);
    // Stops the helpers at their next group of rows and waits for them.
    ~PaletteMapping();
    PaletteMapping(const PaletteMapping&) = delete;
    PaletteMapping& operator=(const PaletteMapping&) = delete;

    // The palette indices of row `y`, once it is mapped (waits until then); nullptr for a row
    // outside the picture.
    const uint8_t* Row(int y);
    // All rows' indices, row after row, once every row is mapped.
    QByteArray TakeAll();

  private:
    struct Band {
        int first = 0, last = 0;
        int mapped = 0;  // rows [first, mapped) are done; guarded by mutex_
    };

    void MapBand(Band& band);

    QImage picture_;
    QList<QRgb> palette_;
    QByteArray indices_;
    uint8_t* out_ = nullptr;  // indices_'s bytes, written by the helpers
    std::vector<Band> bands_;
    std::mutex mutex_;
    std::condition_variable progress_;
    std::atomic<bool> stop_{false};
    std::vector<std::thread> helpers_;
};

}  // namespace orv::detail
