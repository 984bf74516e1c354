#pragma once
// A sequence with one gap of unused slots where the last erasure was. An
// erasure moves the gap there first, so erasing near the previous erasure
// costs only the distance between them: deleting many single rows top to
// bottom or bottom to top is linear overall instead of quadratic.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace pelmora {

template <class T>
class GapVector {
  public:
    size_t size() const { return buf_.size() - gapLength(); }
    bool empty() const { return size() == 0; }

    T& operator[](size_t i) { return buf_[slot(i)]; }
    const T& operator[](size_t i) const { return buf_[slot(i)]; }

    void assign(size_t n, const T& value) {
        buf_.assign(n, value);
        gapBegin_ = gapEnd_ = 0;
    }

    void clear() {
        std::vector<T>().swap(buf_);
        gapBegin_ = gapEnd_ = 0;
    }

    // Removes [pos, pos + count); the caller keeps both within size().
    void erase(size_t pos, size_t count) {
        moveGap(pos);
        // Slots in the gap hold nothing: the erased values go now.
        for (size_t i = gapEnd_; i < gapEnd_ + count; ++i) buf_[i] = T();
        gapEnd_ += count;
        if (size() == 0) clear();
    }

    // Keeps only the elements whose keep[i] is true, in their order.
    template <class Keep>
    void keepOnly(const Keep& keep) {
        std::vector<T> kept;
        kept.reserve(size());
        for (size_t i = 0; i < size(); ++i)
            if (keep[i]) kept.push_back(std::move((*this)[i]));
        buf_ = std::move(kept);
        gapBegin_ = gapEnd_ = 0;
    }

  private:
    size_t gapLength() const { return gapEnd_ - gapBegin_; }
    size_t slot(size_t i) const { return i < gapBegin_ ? i : i + gapLength(); }

    void moveGap(size_t pos) {
        if (pos < gapBegin_) {
            // The elements between pos and the gap go to the gap's far end.
            std::move_backward(buf_.begin() + ptrdiff_t(pos), buf_.begin() + ptrdiff_t(gapBegin_),
                               buf_.begin() + ptrdiff_t(gapEnd_));
            gapEnd_ -= gapBegin_ - pos;
            gapBegin_ = pos;
        } else if (pos > gapBegin_) {
            const size_t n = pos - gapBegin_;
            std::move(buf_.begin() + ptrdiff_t(gapEnd_), buf_.begin() + ptrdiff_t(gapEnd_ + n),
                      buf_.begin() + ptrdiff_t(gapBegin_));
            gapBegin_ += n;
            gapEnd_ += n;
        }
    }

    std::vector<T> buf_;
    size_t gapBegin_ = 0, gapEnd_ = 0;  // the unused slots [gapBegin_, gapEnd_)
};

}  // namespace pelmora
