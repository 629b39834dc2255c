#include "annotations/Annotations.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

namespace orv {

namespace {

template <class... Arrays>
int FreeIndex(int n, const Arrays&... arrays) {
    while ((arrays.Exists(n) || ...)) ++n;
    return n;
}

// ---- Reading and writing one element ---------------------------------------

using Ranks = std::unordered_map<const Control*, int>;

LineState Read(const Line& l, const Ranks& ranks) {
    return LineState{l.X1, l.Y1, l.X2, l.Y2, l.BorderColor, l.BorderWidth, l.Visible, ranks.at(&l)};
}
LabelState Read(const Label& l, const Ranks& ranks) {
    return LabelState{l.Left,        l.Top,     l.Width,     l.Height,    l.Caption(),
                      l.ToolTipText, l.Font(),  l.ForeColor, l.BackColor, l.BackStyle,
                      l.AutoSize,    l.Visible, ranks.at(&l)};
}
ShapeState Read(const Shape& s, const Ranks& ranks) {
    return ShapeState{s.Left,      s.Top,         s.Width,     s.Height,  s.BorderColor,
                      s.BackColor, s.BorderWidth, s.BackStyle, s.Visible, ranks.at(&s)};
}
TextBoxState Read(const TextBox& b, const Ranks& ranks) {
    return TextBoxState{b.Left,      b.Top,       b.Width,     b.Height,  b.Text(),    b.Font,
                        b.ForeColor, b.BackColor, b.MultiLine, b.Visible, ranks.at(&b)};
}

void Write(Line& l, const LineState& s) {
    l.X1 = s.X1;
    l.Y1 = s.Y1;
    l.X2 = s.X2;
    l.Y2 = s.Y2;
    l.BorderColor = s.BorderColor;
    l.BorderWidth = s.BorderWidth;
    l.Visible = s.Visible;
}
void Write(Label& l, const LabelState& s) {
    // The stored size stands: no resizing to the caption on the way in.
    l.AutoSize = false;
    l.SetFont(s.Font);
    l.SetCaption(s.Caption);
    l.ToolTipText = s.ToolTipText;
    l.Left = s.Left;
    l.Top = s.Top;
    l.Width = s.Width;
    l.Height = s.Height;
    l.ForeColor = s.ForeColor;
    l.BackColor = s.BackColor;
    l.BackStyle = s.BackStyle;
    l.AutoSize = s.AutoSize;
    l.Visible = s.Visible;
}
void Write(Shape& sh, const ShapeState& s) {
    sh.Left = s.Left;
    sh.Top = s.Top;
    sh.Width = s.Width;
    sh.Height = s.Height;
    sh.BorderColor = s.BorderColor;
    sh.BackColor = s.BackColor;
    sh.BorderWidth = s.BorderWidth;
    sh.BackStyle = s.BackStyle;
    sh.Visible = s.Visible;
}
void Write(TextBox& b, const TextBoxState& s) {
    b.Font = s.Font;
    b.MultiLine = s.MultiLine;
    // The text first: its change handler sizes the box, and the stored size then stands.
    b.SetText(s.Text);
    b.Left = s.Left;
    b.Top = s.Top;
    b.Width = s.Width;
    b.Height = s.Height;
    b.ForeColor = s.ForeColor;
    b.BackColor = s.BackColor;
    b.Visible = s.Visible;
}

}  // namespace

void ReadElement(const Line& c, LineState& s) {
    const int rank = s.Rank;
    s = Read(c, Ranks{{&c, rank}});
}
void ReadElement(const Label& c, LabelState& s) {
    const int rank = s.Rank;
    s = Read(c, Ranks{{&c, rank}});
}
void ReadElement(const Shape& c, ShapeState& s) {
    const int rank = s.Rank;
    s = Read(c, Ranks{{&c, rank}});
}
void ReadElement(const TextBox& c, TextBoxState& s) {
    const int rank = s.Rank;
    s = Read(c, Ranks{{&c, rank}});
}
void WriteElement(Line& c, const LineState& s) {
    Write(c, s);
}
void WriteElement(Label& c, const LabelState& s) {
    Write(c, s);
}
void WriteElement(Shape& c, const ShapeState& s) {
    Write(c, s);
}
void WriteElement(TextBox& c, const TextBoxState& s) {
    Write(c, s);
}

namespace {

template <class T>
void UnloadIfThere(ControlArray<T>& array, int n) {
    if (n >= 1 && array.Exists(n)) array.Unload(n);
}

template <class T>
std::vector<int> LoadedIndices(const ControlArray<T>& array) {
    std::vector<int> out;
    array.ForEach([&](const T& c) { out.push_back(c.Index); });
    return out;
}

}  // namespace

Annotations::Annotations(AnnotationArrays arrays, Container& canvas, int& qqqq, int& wwww,
                         KindArrays kinds)
    : arrays_(arrays), kinds_(kinds), canvas_(canvas), qqqq_(qqqq), wwww_(wwww) {}

std::optional<DistanceMarker> Annotations::DistanceMarkerAt(int n) const {
    if (n < 1) return std::nullopt;
    Line* s = arrays_.Line1.Find(n);
    Line* a = arrays_.aaaa.Find(n);
    Line* b = arrays_.bbbb.Find(n);
    Label* l = arrays_.aapx.Find(n);
    if (!s || !a || !b || !l) return std::nullopt;
    return DistanceMarker{n, *s, *a, *b, *l};
}

std::optional<ColourMarker> Annotations::ColourMarkerAt(int n) const {
    if (n < 1) return std::nullopt;
    Line* leg = arrays_.zba.Find(n);
    Line* foot = arrays_.zbb.Find(n);
    Label* code = arrays_.co.Find(n);
    Shape* swatch = arrays_.Shape1.Find(n);
    if (!leg || !foot || !code || !swatch) return std::nullopt;
    return ColourMarker{n, *leg, *foot, *code, *swatch};
}

std::optional<Note> Annotations::NoteAt(int n) const {
    if (n < 1) return std::nullopt;
    Line* leg = arrays_.zba.Find(n);
    Line* foot = arrays_.zbb.Find(n);
    TextBox* box = arrays_.bz.Find(n);
    Label* display = arrays_.bzz.Find(n);
    if (!leg || !foot || !box || !display) return std::nullopt;
    return Note{n, *leg, *foot, *box, *display};
}

int Annotations::FreeDistanceIndex(int n) const {
    return FreeIndex(n, arrays_.Line1, arrays_.aaaa, arrays_.bbbb, arrays_.aapx);
}

int Annotations::FreeLeaderIndex(int n) const {
    return FreeIndex(n, arrays_.zba, arrays_.zbb, arrays_.co, arrays_.Shape1, arrays_.bz,
                     arrays_.bzz);
}

DistanceMarker Annotations::CreateDistanceMarker(int n) {
    Line& s = arrays_.Line1.Load(n);
    Line& a = arrays_.aaaa.Load(n);
    Line& b = arrays_.bbbb.Load(n);
    Label& l = arrays_.aapx.Load(n);
    return DistanceMarker{n, s, a, b, l};
}

ColourMarker Annotations::CreateColourMarker(int n) {
    Line& leg = arrays_.zba.Load(n);
    Line& foot = arrays_.zbb.Load(n);
    Label& code = arrays_.co.Load(n);
    Shape& swatch = arrays_.Shape1.Load(n);
    return ColourMarker{n, leg, foot, code, swatch};
}

Note Annotations::CreateNote(int n) {
    Line& leg = arrays_.zba.Load(n);
    Line& foot = arrays_.zbb.Load(n);
    TextBox& box = arrays_.bz.Load(n);
    Label& display = arrays_.bzz.Load(n);
    return Note{n, leg, foot, box, display};
}

std::vector<Annotation> Annotations::List() const {
    // Each annotation with the stacking key of its first element: elements are
    // stacked in the order they were loaded, and the first element of an
    // annotation is never brought to the front, so its key tells its age.
    std::vector<std::pair<uint64_t, int>> found;  // key, index (negative: a leader's)
    for (int n : LoadedIndices(arrays_.Line1))
        if (auto m = DistanceMarkerAt(n)) found.emplace_back(m->Segment.StackKey(), n);
    for (int n : LoadedIndices(arrays_.zba))
        if (ColourMarkerAt(n) || NoteAt(n)) found.emplace_back(arrays_.zba(n).StackKey(), -n);
    std::sort(found.begin(), found.end());
    std::vector<Annotation> out;
    out.reserve(found.size());
    for (const auto& [key, n] : found) {
        if (n > 0)
            out.emplace_back(*DistanceMarkerAt(n));
        else if (auto m = ColourMarkerAt(-n))
            out.emplace_back(*m);
        else
            out.emplace_back(*NoteAt(-n));
    }
    return out;
}

void Annotations::Remove(const Annotation& a) {
    const int n = IndexOf(a);
    if (std::holds_alternative<DistanceMarker>(a)) {
        UnloadIfThere(arrays_.Line1, n);
        UnloadIfThere(arrays_.aaaa, n);
        UnloadIfThere(arrays_.bbbb, n);
        UnloadIfThere(arrays_.aapx, n);
        return;
    }
    UnloadIfThere(arrays_.zba, n);
    UnloadIfThere(arrays_.zbb, n);
    UnloadIfThere(arrays_.co, n);
    UnloadIfThere(arrays_.Shape1, n);
    UnloadIfThere(arrays_.bz, n);
    UnloadIfThere(arrays_.bzz, n);
}

void Annotations::RemoveAll() {
    const auto all = [](auto& array) {
        for (int n : LoadedIndices(array)) array.Unload(n);
    };
    all(arrays_.Line1);
    all(arrays_.aaaa);
    all(arrays_.bbbb);
    all(arrays_.aapx);
    all(arrays_.zba);
    all(arrays_.zbb);
    all(arrays_.co);
    all(arrays_.Shape1);
    all(arrays_.bz);
    all(arrays_.bzz);
    ForEachKind([&](auto k) {
        ForEachPart<decltype(k)>([&](const auto& p) {
            if (kinds_.*p.array) all(*(kinds_.*p.array));
        });
    });
}

AnnotationSnapshot Annotations::Take() const {
    const std::vector<Control*> order = canvas_.PaintOrder();
    Ranks ranks;
    ranks.reserve(order.size());
    int rank = 0;
    for (const Control* c : order) ranks[c] = rank++;
    AnnotationSnapshot s;
    s.qqqq = qqqq_;
    s.wwww = wwww_;
    const std::vector<Annotation> all = List();
    s.Items.reserve(all.size());
    s.Stacks.reserve(all.size());
    const auto keys = [](const auto&... elements) {
        return std::array<std::uint64_t, 4>{elements.StackKey()...};
    };
    for (const Annotation& a : all) {
        if (const auto* m = std::get_if<DistanceMarker>(&a)) {
            s.Stacks.push_back(keys(m->Segment, m->StartTick, m->EndTick, m->Length));
            s.Items.emplace_back(DistanceState{m->Index, Read(m->Segment, ranks),
                                               Read(m->StartTick, ranks), Read(m->EndTick, ranks),
                                               Read(m->Length, ranks)});
        } else if (const auto* c = std::get_if<ColourMarker>(&a)) {
            s.Stacks.push_back(keys(c->Leg, c->Foot, c->Code, c->Swatch));
            s.Items.emplace_back(ColourState{c->Index, Read(c->Leg, ranks), Read(c->Foot, ranks),
                                             Read(c->Code, ranks), Read(c->Swatch, ranks)});
        } else if (const auto* n = std::get_if<Note>(&a)) {
            s.Stacks.push_back(keys(n->Leg, n->Foot, n->Box, n->Display));
            s.Items.emplace_back(NoteState{n->Index, Read(n->Leg, ranks), Read(n->Foot, ranks),
                                           Read(n->Box, ranks), Read(n->Display, ranks)});
        }
    }
    // The described kinds, then every item in the order of its first element's key.
    ForEachKind([&](auto k) {
        using K = decltype(k);
        for (typename K::State st : All<K>()) {
            std::array<std::uint64_t, 4> stack{};
            std::size_t i = 0;
            ForEachPart<K>([&](const auto& p) {
                const Control& c = (*(kinds_.*p.array))(st.Index);
                (st.*p.state).Rank = ranks.at(&c);
                stack[i++] = c.StackKey();
            });
            s.Stacks.push_back(stack);
            s.Items.emplace_back(std::move(st));
        }
    });
    if (s.Items.size() > all.size()) {
        std::vector<std::size_t> byAge(s.Items.size());
        for (std::size_t i = 0; i < byAge.size(); ++i) byAge[i] = i;
        std::stable_sort(byAge.begin(), byAge.end(), [&](std::size_t a, std::size_t b) {
            return s.Stacks[a][0] < s.Stacks[b][0];
        });
        AnnotationSnapshot sorted;
        sorted.Items.reserve(byAge.size());
        sorted.Stacks.reserve(byAge.size());
        for (std::size_t i : byAge) {
            sorted.Items.push_back(std::move(s.Items[i]));
            sorted.Stacks.push_back(s.Stacks[i]);
        }
        s.Items = std::move(sorted.Items);
        s.Stacks = std::move(sorted.Stacks);
    }
    s.next = next_;
    return s;
}

void Annotations::Restore(const AnnotationSnapshot& s) {
    RemoveAll();
    // Each element with its painting rank, to restack them all afterwards.
    std::vector<std::pair<int, Control*>> stack;
    const auto put = [&](auto& control, const auto& state) {
        Write(control, state);
        stack.emplace_back(state.Rank, &control);
    };
    for (const AnnotationState& item : s.Items) {
        if (const auto* d = std::get_if<DistanceState>(&item)) {
            if (d->Index < 1 || FreeDistanceIndex(d->Index) != d->Index) continue;
            DistanceMarker m = CreateDistanceMarker(d->Index);
            put(m.Segment, d->Segment);
            put(m.StartTick, d->StartTick);
            put(m.EndTick, d->EndTick);
            put(m.Length, d->Length);
        } else if (const auto* c = std::get_if<ColourState>(&item)) {
            if (c->Index < 1 || FreeLeaderIndex(c->Index) != c->Index) continue;
            ColourMarker m = CreateColourMarker(c->Index);
            put(m.Leg, c->Leg);
            put(m.Foot, c->Foot);
            put(m.Code, c->Code);
            put(m.Swatch, c->Swatch);
        } else if (const auto* n = std::get_if<NoteState>(&item)) {
            if (n->Index < 1 || FreeLeaderIndex(n->Index) != n->Index) continue;
            Note m = CreateNote(n->Index);
            put(m.Leg, n->Leg);
            put(m.Foot, n->Foot);
            put(m.Box, n->Box);
            put(m.Display, n->Display);
        } else {
            VisitKind(item, [&](auto k, const auto& st) {
                using K = decltype(k);
                if (st.Index < 1 || FreeKindIndex<K>(kinds_, st.Index) != st.Index ||
                    !(kinds_.*std::get<0>(K::Parts).array))
                    return;
                LoadKind<K>(kinds_, st.Index);
                ForEachPart<K>(
                    [&](const auto& p) { put((*(kinds_.*p.array))(st.Index), st.*p.state); });
            });
        }
    }
    std::stable_sort(stack.begin(), stack.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [rank, control] : stack) control->ZOrder();
    qqqq_ = s.qqqq;
    wwww_ = s.wwww;
    next_ = s.next;
}

std::optional<AnnotationState> Annotations::StateAt(const AnnotationKey& key,
                                                    std::array<std::uint64_t, 4>& stack) const {
    stack = {};
    std::size_t k = 0;
    const auto read = [&](const auto& control, auto& state) {
        ReadElement(control, state);
        stack[k++] = control.StackKey();
    };
    if (key.family != 0) {
        std::optional<AnnotationState> out;
        ForEachKind([&](auto kind) {
            using K = decltype(kind);
            if (K::Family != key.family || !(kinds_.*std::get<0>(K::Parts).array) ||
                !AllLoaded<K>(kinds_, key.index))
                return;
            typename K::State st;
            st.Index = key.index;
            ForEachPart<K>(
                [&](const auto& p) { read((*(kinds_.*p.array))(key.index), st.*p.state); });
            out = std::move(st);
        });
        return out;
    }
    if (!key.leader) {
        const auto m = DistanceMarkerAt(key.index);
        if (!m) return std::nullopt;
        DistanceState d;
        d.Index = key.index;
        read(m->Segment, d.Segment);
        read(m->StartTick, d.StartTick);
        read(m->EndTick, d.EndTick);
        read(m->Length, d.Length);
        return d;
    }
    // As in the full list: a colour marker first, where both kinds' elements are there.
    if (const auto m = ColourMarkerAt(key.index)) {
        ColourState c;
        c.Index = key.index;
        read(m->Leg, c.Leg);
        read(m->Foot, c.Foot);
        read(m->Code, c.Code);
        read(m->Swatch, c.Swatch);
        return c;
    }
    if (const auto m = NoteAt(key.index)) {
        NoteState n;
        n.Index = key.index;
        read(m->Leg, n.Leg);
        read(m->Foot, n.Foot);
        read(m->Box, n.Box);
        read(m->Display, n.Display);
        return n;
    }
    return std::nullopt;
}

void Annotations::Replace(const std::vector<AnnotationChange>& changes) {
    // An annotation of the same kind already in place is written over, so its
    // controls stay the same objects (a drag under way keeps hold of them);
    // anything else under the key is unloaded and made again.
    const auto inPlace = [&](const AnnotationChange& c) {
        if (!c.state) return false;
        bool described = false, loaded = false;
        described = VisitKind(*c.state, [&](auto k, const auto& st) {
            loaded = AllLoaded<decltype(k)>(kinds_, st.Index);
        });
        if (described) return loaded;
        if (std::holds_alternative<DistanceState>(*c.state))
            return DistanceMarkerAt(c.key.index).has_value();
        if (std::holds_alternative<ColourState>(*c.state))
            return ColourMarkerAt(c.key.index).has_value() && !NoteAt(c.key.index);
        return NoteAt(c.key.index).has_value() && !ColourMarkerAt(c.key.index);
    };
    std::vector<bool> reused;
    reused.reserve(changes.size());
    for (const AnnotationChange& c : changes) {
        reused.push_back(c.key.index >= 1 && inPlace(c));
        if (c.key.index < 1 || reused.back()) continue;
        if (c.key.family != 0) {
            ForEachKind([&](auto k) {
                if (decltype(k)::Family == c.key.family)
                    UnloadKind<decltype(k)>(kinds_, c.key.index);
            });
        } else if (!c.key.leader) {
            UnloadIfThere(arrays_.Line1, c.key.index);
            UnloadIfThere(arrays_.aaaa, c.key.index);
            UnloadIfThere(arrays_.bbbb, c.key.index);
            UnloadIfThere(arrays_.aapx, c.key.index);
        } else {
            UnloadIfThere(arrays_.zba, c.key.index);
            UnloadIfThere(arrays_.zbb, c.key.index);
            UnloadIfThere(arrays_.co, c.key.index);
            UnloadIfThere(arrays_.Shape1, c.key.index);
            UnloadIfThere(arrays_.bz, c.key.index);
            UnloadIfThere(arrays_.bzz, c.key.index);
        }
    }
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const AnnotationChange& c = changes[i];
        if (!c.state || c.key.index < 1) continue;
        int k = 0;
        const auto put = [&](auto& control, const auto& state) {
            Write(control, state);
            canvas_.SetStackKey(control, c.stack[k++]);
        };
        if (const auto* d = std::get_if<DistanceState>(c.state)) {
            DistanceMarker m =
                reused[i] ? *DistanceMarkerAt(d->Index) : CreateDistanceMarker(d->Index);
            put(m.Segment, d->Segment);
            put(m.StartTick, d->StartTick);
            put(m.EndTick, d->EndTick);
            put(m.Length, d->Length);
        } else if (const auto* cs = std::get_if<ColourState>(c.state)) {
            ColourMarker m = reused[i] ? *ColourMarkerAt(cs->Index) : CreateColourMarker(cs->Index);
            put(m.Leg, cs->Leg);
            put(m.Foot, cs->Foot);
            put(m.Code, cs->Code);
            put(m.Swatch, cs->Swatch);
        } else if (const auto* n = std::get_if<NoteState>(c.state)) {
            Note m = reused[i] ? *NoteAt(n->Index) : CreateNote(n->Index);
            put(m.Leg, n->Leg);
            put(m.Foot, n->Foot);
            put(m.Box, n->Box);
            put(m.Display, n->Display);
        } else {
            VisitKind(*c.state, [&](auto kind, const auto& st) {
                using K = decltype(kind);
                if (!(kinds_.*std::get<0>(K::Parts).array)) return;
                if (!reused[i]) LoadKind<K>(kinds_, st.Index);
                ForEachPart<K>(
                    [&](const auto& p) { put((*(kinds_.*p.array))(st.Index), st.*p.state); });
            });
        }
    }
}

bool SameApartFromRanks(const AnnotationState& a, const AnnotationState& b) {
    if (a.index() != b.index()) return false;
    const auto unranked = [](AnnotationState s) {
        if (VisitKind(s, [&](auto k, const auto& st) { s = Unranked<decltype(k)>(st); })) return s;
        std::visit(
            [](auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, DistanceState>)
                    v.Segment.Rank = v.StartTick.Rank = v.EndTick.Rank = v.Length.Rank = 0;
                else if constexpr (std::is_same_v<T, ColourState>)
                    v.Leg.Rank = v.Foot.Rank = v.Code.Rank = v.Swatch.Rank = 0;
                else if constexpr (std::is_same_v<T, NoteState>)
                    v.Leg.Rank = v.Foot.Rank = v.Box.Rank = v.Display.Rank = 0;
            },
            s);
        return s;
    };
    return unranked(a) == unranked(b);
}

const Line& FirstElement(const Annotation& a) {
    return std::visit(
        [](const auto& v) -> const Line& {
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, DistanceMarker>)
                return v.Segment;
            else
                return v.Leg;
        },
        a);
}

int IndexOf(const Annotation& a) {
    return std::visit([](const auto& v) { return v.Index; }, a);
}

}  // namespace orv
