/* The asn1c side of scripts/bench-codec: the BER decoder and DER encoder that
   asn1c generates for the same PKIX modules (generated at bench time, never
   kept), timed on the same certificates in the same way as ours:
     asn1c_cert_bench LIST REPEAT
   LIST names one DER file per line; every file is decoded as Certificate
   REPEAT times, then every decoded certificate is encoded REPEAT times.
   Prints "decode SECONDS" and "encode SECONDS" (processor time). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "Certificate.h"

typedef struct {
  unsigned char *octets;
  size_t length;
} Blob;

static int readList(const char *path, Blob **out, size_t *count) {
  FILE *list = fopen(path, "r");
  char name[4096];
  size_t n = 0, cap = 0;
  Blob *blobs = NULL;
  if (list == NULL) return -1;
  while (fgets(name, sizeof name, list) != NULL) {
    FILE *f;
    long size;
    name[strcspn(name, "\n")] = '\0';
    f = fopen(name, "rb");
    if (f == NULL) return -1;
    fseek(f, 0, SEEK_END);
    size = ftell(f);
    fseek(f, 0, SEEK_SET);
    if (n == cap) {
      cap = cap ? 2 * cap : 64;
      blobs = realloc(blobs, cap * sizeof *blobs);
    }
    blobs[n].octets = malloc((size_t)size);
    blobs[n].length = fread(blobs[n].octets, 1, (size_t)size, f);
    fclose(f);
    ++n;
  }
  fclose(list);
  *out = blobs;
  *count = n;
  return 0;
}

static double seconds(void) { return (double)clock() / CLOCKS_PER_SEC; }

int main(int argc, char **argv) {
  Blob *blobs;
  size_t count, i;
  int repeat, r;
  Certificate_t **certs;
  static unsigned char out[1 << 16];
  double start, decodeTime, encodeTime;
  if (argc != 3 || readList(argv[1], &blobs, &count) != 0) {
    fprintf(stderr, "usage: asn1c_cert_bench LIST REPEAT\n");
    return 2;
  }
  repeat = atoi(argv[2]);
  certs = calloc(count, sizeof *certs);
  start = seconds();
  for (r = 0; r < repeat; ++r) {
    for (i = 0; i < count; ++i) {
      Certificate_t *cert = NULL;
      asn_dec_rval_t rv = ber_decode(0, &asn_DEF_Certificate, (void **)&cert, blobs[i].octets, blobs[i].length);
      if (rv.code != RC_OK) {
        fprintf(stderr, "asn1c: certificate %lu does not decode\n", (unsigned long)i);
        return 1;
      }
      if (r + 1 == repeat)
        certs[i] = cert;
      else
        ASN_STRUCT_FREE(asn_DEF_Certificate, cert);
    }
  }
  decodeTime = seconds() - start;
  start = seconds();
  for (r = 0; r < repeat; ++r) {
    for (i = 0; i < count; ++i) {
      asn_enc_rval_t er = der_encode_to_buffer(&asn_DEF_Certificate, certs[i], out, sizeof out);
      if (er.encoded < 0 || (size_t)er.encoded != blobs[i].length) {
        fprintf(stderr, "asn1c: certificate %lu does not encode back\n", (unsigned long)i);
        return 1;
      }
    }
  }
  encodeTime = seconds() - start;
  printf("decode %.6f\nencode %.6f\n", decodeTime, encodeTime);
  for (i = 0; i < count; ++i) ASN_STRUCT_FREE(asn_DEF_Certificate, certs[i]);
  return 0;
}
