// The inner loops of the class counts get a second, AVX2 build chosen at run time where the
// compiler can do so: a procedure marked ZK_VECTOR_CLONES is built twice.
#pragma once

#if defined(__GNUC__) && !defined(__clang__)
#define ZK_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ZK_VECTOR_CLONES
#endif
