// octalloc.h finds the allocator of both kinds of Octave build, std::allocator
// and std::pmr (checked at compile time, on stand-in class templates)
#include "octalloc.h"

#include <type_traits>
#if __has_include(<memory_resource>)
#include <memory_resource>
#endif

namespace {

using givqr::allocator_of;

template <class T, class A = std::allocator<T>> class array {};
static_assert(std::is_same<allocator_of<array<double>>::type, std::allocator<double>>::value, "");
#if defined(__cpp_lib_memory_resource)
template <class T, class A = std::pmr::polymorphic_allocator<T>> class pmr_array {};
static_assert(std::is_same<allocator_of<pmr_array<double>>::type,
                           std::pmr::polymorphic_allocator<double>>::value, "");
static_assert(std::is_same<std::allocator_traits<allocator_of<pmr_array<double>>::type>::rebind_alloc<octave_idx_type>,
                           std::pmr::polymorphic_allocator<octave_idx_type>>::value, "");
#endif

} // namespace
