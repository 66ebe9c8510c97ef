/* The asn1c side of the PER part of scripts/bench-codec: the UNALIGNED PER
   codec asn1c generates for the same module (0.9.28 has no ALIGNED one),
   generated at bench time and never kept, timed like ours:
     asn1c_per_bench LIST REPEAT
   LIST names one file per line, each a UNALIGNED encoding of the PDU
   (compiled in with -DPDU_TYPE=Name). Prints "uper-decode SECONDS" and
   "uper-encode SECONDS" (processor time). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "asn_application.h"
#include "per_decoder.h"
#include "per_encoder.h"

#define GLUE(a, b) a##b
#define DEF(name) GLUE(asn_DEF_, name)
extern asn_TYPE_descriptor_t DEF(PDU_TYPE);

static double seconds(void) { return (double)clock() / CLOCKS_PER_SEC; }

int main(int argc, char **argv) {
  char name[4096];
  static unsigned char out[1 << 16];
  unsigned char *octets[4096];
  size_t lengths[4096], count = 0, i;
  void *values[4096];
  int repeat, r;
  double start;
  FILE *list = argc == 3 ? fopen(argv[1], "r") : NULL;
  if (list == NULL) {
    fprintf(stderr, "usage: asn1c_per_bench LIST REPEAT\n");
    return 2;
  }
  while (count < 4096 && fgets(name, sizeof name, list) != NULL) {
    FILE *f;
    name[strcspn(name, "\n")] = '\0';
    f = fopen(name, "rb");
    if (f == NULL) return 2;
    octets[count] = malloc(sizeof out);
    lengths[count] = fread(octets[count], 1, sizeof out, f);
    fclose(f);
    ++count;
  }
  fclose(list);
  repeat = atoi(argv[2]);
  start = seconds();
  for (r = 0; r < repeat; ++r) {
    for (i = 0; i < count; ++i) {
      void *value = NULL;
      asn_dec_rval_t rv = uper_decode_complete(0, &DEF(PDU_TYPE), &value, octets[i], lengths[i]);
      if (rv.code != RC_OK) {
        fprintf(stderr, "asn1c: message %lu does not decode\n", (unsigned long)i);
        return 1;
      }
      if (r + 1 == repeat)
        values[i] = value;
      else
        ASN_STRUCT_FREE(DEF(PDU_TYPE), value);
    }
  }
  printf("uper-decode %.6f\n", seconds() - start);
  start = seconds();
  for (r = 0; r < repeat; ++r) {
    for (i = 0; i < count; ++i) {
      asn_enc_rval_t er = uper_encode_to_buffer(&DEF(PDU_TYPE), values[i], out, sizeof out);
      if (er.encoded < 0) {
        fprintf(stderr, "asn1c: message %lu does not encode\n", (unsigned long)i);
        return 1;
      }
    }
  }
  printf("uper-encode %.6f\n", seconds() - start);
  for (i = 0; i < count; ++i) ASN_STRUCT_FREE(DEF(PDU_TYPE), values[i]);
  return 0;
}
