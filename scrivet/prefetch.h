#ifndef SCRIVET_PREFETCH_H_
#define SCRIVET_PREFETCH_H_

namespace scrivet {

// Asks the processor to start loading the memory at address, where the
// compiler offers a way; a hint with no effect on behaviour, and no fault
// whatever the address.
inline void prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  static_cast<void>(address);
#endif
}

}  // namespace scrivet

#endif  // SCRIVET_PREFETCH_H_
