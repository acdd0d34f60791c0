#!/usr/bin/env python3
"""An independent reader and writer of results files, written from the record format alone.

A record is a run of 8-byte words: word 1 its length L (itself included), word 2 its key, both
integer-valued reals; key 2001 ends the file.
  binary: the records packed into blocks of 512 words, each block one unformatted sequential
          record (a 4-byte length before and after it).
  ascii:  80-column lines; each record is "*" then one item per word: "I" + 2-character width +
          digits, "D" + 22 characters (d.ddd...D+xx), or "A" + 8 characters; items run on across
          lines; blanks end the data of a line.

  results_reader.py read binary|ascii FILE    prints each record, one line of hex words
  results_reader.py write binary|ascii FILE   writes sample records and prints them the same way
"""
import math
import struct
import sys

BLOCK = 512


def hex_word(raw):
    return raw.hex()


def real(value):
    return struct.pack('<d', float(value))


def text(eight):
    return eight.encode('ascii').ljust(8)[:8]


def print_records(records):
    for r in records:
        print(' '.join(hex_word(w) for w in r))


def read_binary(path):
    data = open(path, 'rb').read()
    words = []
    at = 0
    while at + 4 <= len(data):
        (size,) = struct.unpack_from('<i', data, at)
        if size != 8 * BLOCK or at + 8 + size > len(data):
            raise SystemExit('bad block at byte %d' % at)
        block = data[at + 4:at + 4 + size]
        (tail,) = struct.unpack_from('<i', data, at + 4 + size)
        if tail != size:
            raise SystemExit('bad block marker at byte %d' % at)
        words.extend(block[8 * k:8 * k + 8] for k in range(BLOCK))
        at += 8 + size
    records = []
    k = 0
    while k < len(words):
        (length,) = struct.unpack('<d', words[k])
        if not (length >= 2 and length == int(length)) or k + int(length) > len(words):
            raise SystemExit('bad record length %r at word %d' % (length, k + 1))
        record = words[k:k + int(length)]
        records.append(record)
        k += int(length)
        if struct.unpack('<d', record[1])[0] == 2001.0:
            break
    return records


def parse_real(field):
    field = field.strip().replace('D', 'E')
    if 'E' not in field:
        # a three-digit exponent drops its letter: d.ddd+123
        sign_at = max(field.rfind('+'), field.rfind('-'))
        field = field[:sign_at] + 'E' + field[sign_at:]
    return float(field)


def read_ascii(path):
    stream = ''.join(line.rstrip('\n').ljust(80) for line in open(path))
    records = []
    record = None
    k = 0
    while k < len(stream):
        c = stream[k]
        if c == '*':
            if record is not None:
                records.append(record)
            record = []
            k += 1
        elif c == ' ':
            if record is not None:
                records.append(record)
            record = None
            k = (k // 80 + 1) * 80
        elif c == 'I':
            width = int(stream[k + 1:k + 3])
            record.append(real(int(stream[k + 3:k + 3 + width])))
            k += 3 + width
        elif c == 'D':
            record.append(real(parse_real(stream[k + 1:k + 23])))
            k += 23
        elif c == 'A':
            record.append(stream[k + 1:k + 9].encode('ascii'))
            k += 9
        else:
            raise SystemExit('unexpected character %r at %d' % (c, k))
    if record is not None:
        records.append(record)
    return records


def sample_records():
    """Records of every item type, some long enough to cross blocks and lines."""
    out = []
    for n in range(25):
        length = 2 + (n * 53) % 140
        data = []
        for k in range(3, length + 1):
            if k % 5 == 0:
                data.append(('A', 'SET-%04d' % (n * 10 + k)))
            elif k % 3 == 0:
                value = (k * 7919 * (n + 1)) % 999999937
                data.append(('I', -value if k % 2 else value))
            else:
                data.append(('D', math.sin(n + k) * 10.0 ** ((n * k) % 60 - 30)))
        out.append((length, 1 + n % 9, data))
    out.append((2, 2001, []))
    return out


def word_of(kind, value):
    return text(value) if kind == 'A' else real(value)


def format_real(value):
    mantissa, exponent = ('%.15E' % abs(value)).split('E')
    sign = '-' if value < 0 else ' '
    e = int(exponent)
    tail = 'D%+03d' % e if abs(e) < 100 else '%+04d' % e
    return 'D' + sign + mantissa + tail


def write_binary(path):
    records = []
    for length, key, data in sample_records():
        records.append([real(length), real(key)] + [word_of(k, v) for k, v in data])
    words = [w for r in records[:-1] for w in r]
    left = BLOCK - len(words) % BLOCK
    if left == 1:
        end = [real(BLOCK + 1), real(2001)] + [real(0)] * (BLOCK - 1)
    else:
        end = [real(left), real(2001)] + [real(0)] * (left - 2)
    records[-1] = end
    words += end
    with open(path, 'wb') as f:
        for b in range(0, len(words), BLOCK):
            block = b''.join(words[b:b + BLOCK])
            f.write(struct.pack('<i', len(block)) + block + struct.pack('<i', len(block)))
    return records


def write_ascii(path):
    stream = ''
    records = []
    for length, key, data in sample_records():
        items = ['I%2d%d' % (len(str(length)), length), 'I%2d%d' % (len(str(key)), key)]
        words = [real(length), real(key)]
        for kind, value in data:
            if kind == 'I':
                items.append('I%2d%d' % (len(str(value)), value))
                words.append(real(value))
            elif kind == 'D':
                item = format_real(value)
                items.append(item)
                words.append(real(parse_real(item[1:])))
            else:
                items.append('A' + value)
                words.append(text(value))
        stream += '*' + ''.join(items)
        records.append(words)
    lines = [stream[k:k + 80].ljust(80) for k in range(0, len(stream), 80)]
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n' + ' ' * 80 + '\n')
    return records


def main():
    action, form, path = sys.argv[1:4]
    if action == 'read':
        print_records(read_binary(path) if form == 'binary' else read_ascii(path))
    else:
        print_records(write_binary(path) if form == 'binary' else write_ascii(path))


if __name__ == '__main__':
    main()
