// Forced inlining for the per-token paths, where the optimiser's own choice
// falls short. Without optimisation nothing is forced: each forced copy would
// keep its locals in the caller's frame, and the printer's recursion then
// took 47 KB of stack a nesting level.
#ifndef ZURBASE_FRAME_FORCE_INLINE_H
#define ZURBASE_FRAME_FORCE_INLINE_H

#if defined(__OPTIMIZE__)
#define ZUR_FORCE_INLINE [[gnu::always_inline]]
#else
#define ZUR_FORCE_INLINE
#endif

#endif
