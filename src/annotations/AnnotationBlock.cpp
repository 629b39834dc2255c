#include "annotations/AnnotationBlock.h"

#include <functional>
#include <map>
#include <string>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "annotations/Kinds.h"
#include "imaging/psd/psd_layers.h"

namespace orv {

namespace {

// Largest side a layer check may state (the large document format's own limit).
constexpr int kMaxCheckSide = 300000;

QString KindOf(const AnnotationState& a) {
    if (std::holds_alternative<DistanceState>(a)) return QStringLiteral("distance");
    if (std::holds_alternative<ColourState>(a)) return QStringLiteral("colour");
    if (std::holds_alternative<NoteState>(a)) return QStringLiteral("note");
    // A described kind goes by its name in the annotation JSON.
    QString name;
    VisitKind(a, [&](auto k, const auto&) { name = QLatin1String(decltype(k)::Name); });
    return name;
}

int IndexOf(const AnnotationState& a) {
    return std::visit([](const auto& s) { return s.Index; }, a);
}

QJsonObject CheckJson(const LayerCheck& c) {
    return {{"name", c.name},   {"left", c.left},     {"top", c.top},
            {"width", c.width}, {"height", c.height}, {"sha256", QString::fromLatin1(c.sha256)}};
}

bool ReadInt(const QJsonObject& o, const char* key, int lo, int hi, int& out) {
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble(-1.0e300);
    if (!v.isDouble() || d < lo || d > hi || d != static_cast<double>(static_cast<int>(d)))
        return false;
    out = static_cast<int>(d);
    return true;
}

bool ReadCheck(const QJsonValue& v, LayerCheck& c) {
    if (!v.isObject()) return false;
    const QJsonObject o = v.toObject();
    const QJsonValue name = o.value(QLatin1String("name"));
    const QJsonValue digest = o.value(QLatin1String("sha256"));
    if (!name.isString() || !digest.isString()) return false;
    c.name = name.toString();
    c.sha256 = digest.toString().toLatin1();
    return c.sha256.size() == 64 && ReadInt(o, "left", 0, kMaxCheckSide, c.left) &&
           ReadInt(o, "top", 0, kMaxCheckSide, c.top) &&
           ReadInt(o, "width", 0, kMaxCheckSide, c.width) &&
           ReadInt(o, "height", 0, kMaxCheckSide, c.height);
}

}  // namespace

LayerCheck CheckOfLayer(const QString& name, int left, int top, const uint8_t* bgra, int width,
                        int height, std::size_t stride, int docWidth, int docHeight) {
    LayerCheck check;
    check.name = name;
    // The part inside the document, in layer coordinates.
    const int x0 = std::clamp(-left, 0, std::max(width, 0));
    const int y0 = std::clamp(-top, 0, std::max(height, 0));
    const int x1 = std::clamp(docWidth - left, x0, std::max(width, 0));
    const int y1 = std::clamp(docHeight - top, y0, std::max(height, 0));
    const auto alpha = [&](int x, int y) { return bgra[std::size_t(y) * stride + x * 4u + 3]; };
    int minX = x1, minY = y1, maxX = x0 - 1, maxY = y0 - 1;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (alpha(x, y) != 0) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = y;
            }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (maxX >= minX) {
        check.left = left + minX;
        check.top = top + minY;
        check.width = maxX - minX + 1;
        check.height = maxY - minY + 1;
        QByteArray row(check.width * 4, '\0');
        for (int y = minY; y <= maxY; ++y) {
            const uint8_t* in = bgra + std::size_t(y) * stride + minX * 4u;
            char* out = row.data();
            for (int x = 0; x < check.width; ++x, in += 4, out += 4) {
                if (in[3] == 0)
                    std::fill(out, out + 4, '\0');
                else
                    std::copy(in, in + 4, out);
            }
            hash.addData(row);
        }
    }
    check.sha256 = hash.result().toHex();
    return check;
}

LayerCheck CheckOfLayer(const psd::LayerPixels& layer, int docWidth, int docHeight) {
    return CheckOfLayer(QString::fromStdString(layer.name), layer.left, layer.top,
                        layer.bgra.data(), layer.width, layer.height, std::size_t(layer.width) * 4,
                        docWidth, docHeight);
}

QByteArray AnnotationBlockToJson(const AnnotationSnapshot& snapshot, const SavedLayers& saved) {
    QJsonObject root = QJsonDocument::fromJson(AnnotationsToJson(snapshot)).object();
    QJsonArray layers;
    for (std::size_t i = 0; i < snapshot.Items.size() && i < saved.annotations.size(); ++i) {
        QJsonObject c = CheckJson(saved.annotations[i]);
        c.insert(QStringLiteral("kind"), KindOf(snapshot.Items[i]));
        c.insert(QStringLiteral("index"), IndexOf(snapshot.Items[i]));
        layers.append(c);
    }
    root.insert(QStringLiteral("version"), kAnnotationBlockVersion);
    root.insert(QStringLiteral("saved"),
                QJsonObject{{"picture", CheckJson(saved.picture)}, {"layers", layers}});
    QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Compact);
    if (json.size() % 2) json.append(' ');
    return json;
}

AnnotationJsonError AnnotationBlockFromJson(const QByteArray& json, AnnotationBlock& out,
                                            QString& why) {
    QByteArray text = json;
    while (text.endsWith('\0')) text.chop(1);
    AnnotationBlock block;
    const AnnotationJsonError error = AnnotationsFromJson(text, block.snapshot, why);
    if (error != AnnotationJsonError::None) return error;
    const QJsonObject root = QJsonDocument::fromJson(text).object();
    block.version = root.value(QLatin1String("version")).toInt();
    if (block.version >= kAnnotationBlockVersion) {
        const QJsonObject saved = root.value(QLatin1String("saved")).toObject();
        const QJsonArray layers = saved.value(QLatin1String("layers")).toArray();
        bool ok = ReadCheck(saved.value(QLatin1String("picture")), block.saved.picture) &&
                  std::size_t(layers.size()) == block.snapshot.Items.size();
        for (qsizetype i = 0; ok && i < layers.size(); ++i) {
            LayerCheck c;
            const QJsonObject o = layers[i].toObject();
            const AnnotationState& item = block.snapshot.Items[std::size_t(i)];
            ok = ReadCheck(layers[i], c) &&
                 o.value(QLatin1String("kind")).toString() == KindOf(item) &&
                 o.value(QLatin1String("index")).toInt(-1) == IndexOf(item);
            block.saved.annotations.push_back(std::move(c));
        }
        if (!ok) {
            why = QStringLiteral("bad or missing \"saved\"");
            return AnnotationJsonError::Damaged;
        }
        block.hasSaved = true;
    }
    out = std::move(block);
    return AnnotationJsonError::None;
}

namespace {

bool IsPictureLayer(const psd::LayerPixels& l, int docWidth, int docHeight) {
    return l.name == "Picture" && l.left == 0 && l.top == 0 && l.width == docWidth &&
           l.height == docHeight;
}

// CheckBlock with the check of layer i from `checkOf`, asked only for visible, opaque layers
// the block names.
BlockVerdict Verdict(const AnnotationBlock& block, const std::vector<psd::LayerPixels>& layers,
                     int docWidth, int docHeight,
                     const std::function<LayerCheck(std::size_t)>& checkOf) {
    BlockVerdict v;
    v.live.qqqq = block.snapshot.qqqq;
    v.live.wwww = block.snapshot.wwww;
    v.live.next = block.snapshot.next;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const psd::LayerPixels& l = layers[i];
        if (IsPictureLayer(l, docWidth, docHeight)) {
            v.pictureLayer = int(i);
            break;
        }
    }
    if (!block.hasSaved) {
        v.live = block.snapshot;
        return v;
    }
    std::vector<bool> claimed(layers.size(), false);
    if (v.pictureLayer >= 0) claimed[std::size_t(v.pictureLayer)] = true;
    for (std::size_t a = 0; a < block.snapshot.Items.size(); ++a) {
        const LayerCheck& saved = block.saved.annotations[a];
        if (saved.name.isEmpty()) {
            // A kind without a layer of its own (a redaction lies in the picture itself):
            // nothing elsewhere can have changed it apart from the picture.
            v.live.Items.push_back(block.snapshot.Items[a]);
            continue;
        }
        const std::string name = saved.name.toStdString();
        std::size_t found = layers.size();
        for (std::size_t i = 0; i < layers.size() && found == layers.size(); ++i)
            if (!claimed[i] && layers[i].name == name) found = i;
        if (found == layers.size() || !layers[found].visible) {
            if (found != layers.size()) claimed[found] = true;
            ++v.dropped;
            continue;
        }
        const psd::LayerPixels& l = layers[found];
        if (l.opacity == 255 && checkOf(found) == saved) {
            claimed[found] = true;
            v.live.Items.push_back(block.snapshot.Items[a]);
        } else {
            ++v.leftFlat;  // left unclaimed, so it is drawn flat with the others
        }
    }
    for (std::size_t i = 0; i < layers.size(); ++i)
        if (!claimed[i] && layers[i].visible) v.flatLayers.push_back(int(i));
    return v;
}

}  // namespace

BlockVerdict CheckBlock(const AnnotationBlock& block, const std::vector<psd::LayerPixels>& layers,
                        int docWidth, int docHeight) {
    return Verdict(block, layers, docWidth, docHeight,
                   [&](std::size_t i) { return CheckOfLayer(layers[i], docWidth, docHeight); });
}

bool CheckBlockInFile(const AnnotationBlock& block, std::span<const uint8_t> file, int docWidth,
                      int docHeight, BlockVerdict& verdict, std::vector<psd::LayerPixels>& layers,
                      std::vector<uint8_t>* picture) {
    // How many annotations name each layer: the matching takes the first layers of a name, so
    // no later layer of that name is ever looked at.
    std::map<std::string, std::size_t> named;
    if (block.hasSaved)
        for (const LayerCheck& c : block.saved.annotations)
            if (!c.name.isEmpty()) ++named[c.name.toStdString()];
    std::vector<LayerCheck> checks;
    std::vector<bool> checked;
    bool pictureFound = false;
    int pictureAt = -1;
    const auto wanted = [&](std::size_t i, const psd::LayerPixels& l) {
        checks.resize(i + 1);
        checked.resize(i + 1, false);
        // The first full-size "Picture" layer is the picture, as CheckBlock finds it; no
        // annotation can take it.
        if (!pictureFound && IsPictureLayer(l, docWidth, docHeight)) {
            pictureFound = true;
            pictureAt = int(i);
            return picture != nullptr;
        }
        const auto name = named.find(l.name);
        if (name != named.end() && name->second > 0) {
            --name->second;
            checked[i] = l.visible && l.opacity == 255;
        }
        return bool(checked[i]);
    };
    const auto visit = [&](std::vector<psd::LayerPixels>& all, std::size_t i) {
        if (i < checked.size() && checked[i]) checks[i] = CheckOfLayer(all[i], docWidth, docHeight);
        if (picture && int(i) == pictureAt) *picture = std::move(all[i].bgra);
    };
    layers.clear();
    std::vector<psd::LayerPixels> records;
    const bool read = psd::VisitLayers(
        file,
        [&](std::vector<psd::LayerPixels>& all, std::size_t i) {
            visit(all, i);
            if (i + 1 == all.size()) {
                std::vector<uint8_t>().swap(all[i].bgra);
                records = all;
            }
        },
        wanted);
    if (read) layers = std::move(records);
    if (!read && picture) picture->clear();
    verdict = Verdict(block, layers, docWidth, docHeight,
                      [&](std::size_t i) { return i < checks.size() ? checks[i] : LayerCheck{}; });
    return read;
}

QString BlockVerdictNote(const BlockVerdict& v) {
    if (v.leftFlat == 0 && v.dropped == 0) return {};
    QStringList parts;
    if (v.leftFlat)
        parts << (v.leftFlat == 1 ? QStringLiteral("1 annotation was changed in another program "
                                                   "and is now part of the picture")
                                  : QStringLiteral("%1 annotations were changed in another "
                                                   "program and are now part of the picture")
                                        .arg(v.leftFlat));
    if (v.dropped)
        parts << (v.dropped == 1 ? QStringLiteral("1 annotation whose layer was removed or hidden "
                                                  "was left out")
                                 : QStringLiteral("%1 annotations whose layers were removed or "
                                                  "hidden were left out")
                                       .arg(v.dropped));
    return parts.join(QStringLiteral("; ")) + u'.';
}

}  // namespace orv
