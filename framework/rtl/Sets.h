#pragma once
// A small set of enumeration values, as the component properties use them
// (button sets, dialog options, visible transport buttons).

#include <cstdint>
#include <initializer_list>

template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) bits_ |= Bit(v);
  }
  constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
  constexpr TSet& Include(E v) {
    bits_ |= Bit(v);
    return *this;
  }
  constexpr TSet& Exclude(E v) {
    bits_ &= ~Bit(v);
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint64_t Bits() const { return bits_; }
  static constexpr TSet FromBits(uint64_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(TSet o) const { return bits_ == o.bits_; }
  constexpr bool operator!=(TSet o) const { return bits_ != o.bits_; }

 private:
  static constexpr uint64_t Bit(E v) { return uint64_t{1} << static_cast<unsigned>(v); }
  uint64_t bits_ = 0;
};
