#!/usr/bin/env bash
# zurtrace against `openssl asn1parse` on files made here with openssl:
# certificates, a CRL, CMS signed data with definite and with indefinite
# lengths, an OCSP request, a PKCS#8 key and a PKCS#12 file. Every element
# must agree in depth, class, tag number, form and length, EOC octets
# included; the values of BOOLEAN, INTEGER, ENUMERATED, OBJECT IDENTIFIER,
# the plain character strings and the times must agree with what asn1parse
# shows for them. Elements that zurtrace finds encapsulated in an OCTET
# STRING or BIT STRING are its own: asn1parse does not look inside; dumpasn1
# does, and every element's depth and length, encapsulated ones included,
# must agree with it.
# Usage: zurtrace_asn1parse.sh <zurtrace> <work dir>
set -euo pipefail
zurtrace=$(realpath "$1")
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$dir" && mkdir -p "$dir" && cd "$dir"

certs=(/usr/share/ca-certificates/mozilla/*.crt)
openssl x509 -in "${certs[0]}" -outform DER -out ca-first.der
openssl x509 -in "${certs[-1]}" -outform DER -out ca-last.der
"$here/../data/make_crl.sh" crl 40 >/dev/null
cp crl/crl.der crl.der
openssl req -new -newkey rsa:2048 -nodes -keyout leaf.key -subj "/O=zurbase/CN=leaf" \
  -out leaf.csr 2>/dev/null
openssl x509 -req -in leaf.csr -CA crl/ca.crt -CAkey crl/ca.key -set_serial 4660 -days 30 \
  -out leaf.crt 2>/dev/null
openssl x509 -in leaf.crt -outform DER -out leaf.der
printf 'zurtrace: signed content' > content.txt
openssl cms -sign -nodetach -in content.txt -signer leaf.crt -inkey leaf.key -outform DER \
  -out cms-definite.der
openssl cms -sign -stream -nodetach -in content.txt -signer leaf.crt -inkey leaf.key \
  -outform DER -out cms-indefinite.ber
openssl ocsp -issuer crl/ca.crt -cert leaf.crt -no_nonce -reqout ocsp-request.der >/dev/null
openssl pkcs8 -topk8 -nocrypt -in leaf.key -outform DER -out pkcs8.der
openssl pkcs12 -export -inkey leaf.key -in leaf.crt -passout pass:zurbase -out bundle.p12

# Our lines to "depth class number form length<TAB>value"; "?" where the
# value is not one asn1parse shows the same way.
ours() {
  awk '
    function hex(v,   s, d) {
      s = ""; if (v == 0) return "0"
      while (v > 0) { d = v % 16; s = substr("0123456789ABCDEF", d + 1, 1) s; v = (v - d) / 16 }
      return s
    }
    function value(num, v,   n) {
      if (num == 1) return v == "TRUE" ? "T" : "F"
      if (num == 2 || num == 10) {
        if (v ~ /^0x[89A-F]/) return "?"  # negative
        if (v ~ /^0x/) { sub(/^0x0*/, "", v); return v }
        # Decimal beyond what awk holds exactly is not compared.
        if (length(v) > 15) return "?"
        return v < 0 ? "-" hex(-v) : hex(v)
      }
      if (num == 6) { gsub(/^\{ | \}$/, "", v); gsub(/ /, ".", v); return "oid:" v }
      if (num == 23 || num == 24) return v
      if (v ~ /\\/) return "?"
      gsub(/^"|"$/, "", v); return v
    }
    {
      indent = match($0, /[^ ]/) - 1; d = indent / 2; text = substr($0, indent + 1)
      tagline = text == "EOC" || text ~ /^#[0-9]+ .*tag = \[/
      if (tagline && skip >= 0 && d > skip) next
      if (!tagline) {
        if (pending) { printf "\t%s", shown[num] ? value(num, text) : "?"; pending = 0 }
        next
      }
      if (pending) pending = 0
      if (NR > 1) printf "\n"
      skip = -1
      if (text == "EOC") { printf "%d 0 0 prim 0", d; next }
      s = substr(text, index(text, "tag = [") + 7)
      n = split(substr(s, 1, index(s, "]") - 1), part, " ")
      cls = n == 1 ? 2 : part[1] == "UNIVERSAL" ? 0 : part[1] == "APPLICATION" ? 1 : 3
      num = part[n]
      form = s ~ /\] primitive/ ? "prim" : "cons"
      len = substr(s, index(s, "length = ") + 9); if (len == "indef") len = "inf"
      printf "%d %d %d %s %s", d, cls, num, form, len
      if (form == "prim") { skip = d; pending = cls == 0 }
    }
    BEGIN { skip = -1; split("1 2 6 10 12 19 20 22 23 24 26", k, " "); for (i in k) shown[k[i]] = 1 }
    END { if (NR > 0) printf "\n" }'
}

# asn1parse lines to the same form, object names through the table of
# numbers that openssl itself gave for our object identifiers.
theirs() {
  awk -v names="$1" '
    BEGIN {
      while ((getline line < names) > 0) { split(line, f, "\t"); oid[f[1]] = f[2] }
      split("EOC BOOLEAN INTEGER BIT.STRING OCTET.STRING NULL OBJECT OBJECT.DESCRIPTOR EXTERNAL " \
            "REAL ENUMERATED - UTF8STRING - - - SEQUENCE SET NUMERICSTRING PRINTABLESTRING " \
            "T61STRING VIDEOTEXSTRING IA5STRING UTCTIME GENERALIZEDTIME GRAPHICSTRING " \
            "VISIBLESTRING GENERALSTRING UNIVERSALSTRING - BMPSTRING", u, " ")
      for (i in u) { gsub(/\./, " ", u[i]); number[u[i]] = i - 1 }
      split("1 2 6 10 12 19 20 22 23 24 26", k, " "); for (i in k) shown[k[i]] = 1
    }
    {
      d = substr($0, index($0, "d=") + 2) + 0
      len = $0; sub(/.* l= */, "", len); sub(/ .*/, "", len)
      form = $0 ~ / prim: / ? "prim" : "cons"
      rest = substr($0, index($0, form ": ") + 6)
      c = index(rest, ":"); name = c ? substr(rest, 1, c - 1) : rest; v = c ? substr(rest, c + 1) : ""
      sub(/ +$/, "", name); sub(/ *\[HEX DUMP\]$/, "", name)
      if (name ~ /^(appl|cont|priv) \[/) {
        cls = name ~ /^appl/ ? 1 : name ~ /^cont/ ? 2 : 3
        num = name; gsub(/[^0-9]/, "", num)
      } else if (name ~ /^<ASN1 [0-9]+>$/) {
        cls = 0; num = name; gsub(/[^0-9]/, "", num)
      } else {
        cls = 0; num = number[name]
        if (num == "") { print "unknown asn1parse name " name > "/dev/stderr"; exit 1 }
      }
      printf "%d %d %d %s %s", d, cls, num, form, len
      if (form == "prim" && cls == 0 && shown[num]) {
        if (num == 1) v = v == "0" ? "F" : "T"
        else if (num == 2 || num == 10) { sign = sub(/^-/, "", v) ? "-" : ""; sub(/^0+/, "", v); v = sign (v == "" ? "0" : v) }
        else if (num == 6) { v = "oid:" v; if (v in oid) v = oid[v] }
        printf "\t%s", v
      }
      printf "\n"
    }'
}

# "dotted<TAB>openssl name" for every object identifier zurtrace showed.
oid_names() {
  grep -ho '{ [0-9 ]* }' "$@" | sort -u | while read -r text; do
    dotted=$(echo "$text" | sed 's/^{ //; s/ }$//; s/ /./g')
    name=$(openssl asn1parse -genstr "OID:$dotted" | sed 's/.*OBJECT *://')
    printf 'oid:%s\toid:%s\n' "$name" "$dotted"
  done
}

status=0
for f in *.der *.ber *.p12; do
  "$zurtrace" "$f" > "$f.zurtrace"
  openssl asn1parse -inform DER -in "$f" > "$f.asn1parse"
done
oid_names ./*.zurtrace > oid-names.tsv
for f in *.der *.ber *.p12; do
  # Two fields on every line, so that paste keeps them apart.
  ours < "$f.zurtrace" | awk -F'\t' '{ print $1 "\t" $2 }' > "$f.ours"
  theirs oid-names.tsv < "$f.asn1parse" | awk -F'\t' '{ print $1 "\t" $2 }' > "$f.theirs"
  # Values marked "?" on our side are not compared.
  if ! result=$(paste "$f.ours" "$f.theirs" | awk -F'\t' '
      { if ($1 != $3 || ($2 != "?" && $2 != $4)) { print "line " NR ": ours [" $1 " " $2 "] asn1parse [" $3 " " $4 "]"; bad = 1; exit }
        if ($4 != "") values++ ; if ($2 != "?" && $4 != "") agreed++ }
      END { if (!bad) printf "%d elements, %d of %d values compared", NR, agreed, values; exit bad }') ||
     [ "$(wc -l < "$f.ours")" != "$(wc -l < "$f.theirs")" ]; then
    echo "FAIL $f: $result ($(wc -l < "$f.ours") against $(wc -l < "$f.theirs") elements)"
    status=1
  else
    echo "ok   $f: $result"
  fi
done

# dumpasn1 lines "<offset> <length|NDEF>: <2 blanks a level>NAME", and ours,
# to "depth length"; EOC octets are not elements to dumpasn1.
for f in *.der *.ber *.p12; do
  # dumpasn1's exit status counts its own remarks, such as times past 2038.
  { dumpasn1 -z "$f" 2>/dev/null || true; } | awk '/^ *[0-9]+ +([0-9]+|NDEF): / {
    c = index($0, ":"); split(substr($0, 1, c - 1), head, " ")
    print (match(substr($0, c + 1), /[^ ]/) - 2) / 2, head[2] == "NDEF" ? "indef" : head[2] }' \
    > "$f.dumpasn1"
  awk '{ indent = match($0, /[^ ]/) - 1; text = substr($0, indent + 1)
         if (text ~ /^#[0-9]+ .*tag = \[/) print indent / 2, substr(text, index(text, "length = ") + 9) }' \
    "$f.zurtrace" > "$f.tree"
  if [ -s "$f.tree" ] && cmp -s "$f.tree" "$f.dumpasn1"; then
    echo "ok   $f: $(wc -l < "$f.tree") elements as dumpasn1 shows them"
  else
    echo "FAIL $f against dumpasn1: $(diff "$f.tree" "$f.dumpasn1" | head -n 3 | tr '\n' ' ')"
    status=1
  fi
done
exit $status
