#!/usr/bin/env python3
"""Writes the seed corpus of the object-walk fuzz target: small calculator objects of
every kind, most as binary download files ("HPHP48-R" and the object's nibbles), a few
bare. Run it from anywhere; it rewrites tests/nibble/corpus/."""
import os


def word(value, width):
    return [(value >> (4 * i)) & 0xF for i in range(width)]


def chars(text):
    out = []
    for c in text.encode('latin-1'):
        out += word(c, 2)
    return out


def real(mantissa_digits, exponent=0, negative=False):
    # 3 nibbles of exponent, 12 BCD digits of mantissa (least significant first), sign.
    digits = [int(d) for d in mantissa_digits.ljust(12, '0')][:12]
    return word(0x02933, 5) + word(exponent % 1000, 3) + digits[::-1] + [9 if negative else 0]


def complex_(re, im):
    return word(0x02977, 5) + real(re)[5:] + real(im)[5:]


def length_object(prolog, body):
    return word(prolog, 5) + word(5 + len(body), 5) + body


def string(text):
    return length_object(0x02A2C, chars(text))


def composite(prolog, elements):
    out = word(prolog, 5)
    for e in elements:
        out += e
    return out + word(0x0312B, 5)


def name(prolog, text):
    return word(prolog, 5) + word(len(text), 2) + chars(text)


def tagged(tag, obj):
    return word(0x02AFC, 5) + word(len(tag), 2) + chars(tag) + obj


def directory(entries):
    body, link, last_name = [], 0, 0
    for entry_name, obj in entries:
        body += word(link, 5)
        last_name = len(body)
        body += word(len(entry_name), 2) + chars(entry_name)
        if entry_name:
            body += word(len(entry_name), 2)
        body += obj
        link = len(body) - last_name
    offset = 5 + last_name if entries else 0
    return word(0x02A96, 5) + word(0x7FF, 3) + word(offset, 5) + body


def grob(height, width, rows):
    row_nibbles = (width + 7) // 8 * 2
    body = word(height, 5) + word(width, 5)
    for row in rows:
        body += word(row, row_nibbles)
    return length_object(0x02B1E, body)


def pack(nibbles):
    if len(nibbles) % 2:
        nibbles = nibbles + [0]
    return bytes(nibbles[i] | nibbles[i + 1] << 4 for i in range(0, len(nibbles), 2))


ROM_PLUS, ROM_DUP, ROM_SWAP = 0x1A1B, 0x1FBD, 0x1FD1  # built-in objects by address

one, two = real('1'), real('2')
program = composite(0x02D9D, [one, two, word(ROM_PLUS, 5), word(ROM_DUP, 5)])
algebraic = composite(0x02AB8, [name(0x02E48, 'X'), two, word(ROM_PLUS, 5)])
unit = composite(0x02ADA, [real('5'), string('m'), word(ROM_SWAP, 5)])
code = length_object(0x02DCC, word(0x8F, 2) + word(0x12345, 5) + word(0x01, 2))
objects = {
    'real': real('15', 0),
    'negative-real': real('314159265359', 2, True),
    'long-real': word(0x02955, 5) + [1] * 21,
    'complex': complex_('3', '4'),
    'character': word(0x029BF, 5) + word(ord('A'), 2),
    'system-binary': word(0x02911, 5) + word(0x12, 5),
    'binary-integer': length_object(0x02A4E, word(0xFF, 16)),
    'string': string('HELLO, WORLD'),
    'empty-string': string(''),
    'list': composite(0x02A74, [one, string('AB'), word(ROM_DUP, 5)]),
    'empty-list': composite(0x02A74, []),
    'program': program,
    'algebraic': algebraic,
    'unit': unit,
    'global-name': name(0x02E48, 'VAR1'),
    'local-name': name(0x02E6D, 'j'),
    'library-command': word(0x02E92, 5) + word(0x123, 3) + word(0x004, 3),
    'tagged': tagged('abc', one),
    'grob': grob(4, 8, [0x18, 0x24, 0x42, 0x81]),
    'code': code,
    'array': length_object(0x029E8, word(0x02933, 5) + word(1, 5) + word(2, 5) + real('1')[5:]
                           + real('2')[5:]),
    'empty-directory': directory([]),
    'directory': directory([('A', one), ('PRG', program), ('S', string('txt'))]),
    'nested-directory': directory([('SUB', directory([('X', two), ('', one)])),
                                   ('T', tagged('t', unit))]),
}

here = os.path.dirname(os.path.abspath(__file__))
out_dir = os.path.join(here, 'corpus')
os.makedirs(out_dir, exist_ok=True)
for old in os.listdir(out_dir):
    os.remove(os.path.join(out_dir, old))
for label, nibbles in objects.items():
    with open(os.path.join(out_dir, label + '.hp'), 'wb') as f:
        f.write(b'HPHP48-R' + pack(nibbles))
# A few bare objects, and two in a row, the second starting on the high half of a byte.
for label in ('list', 'directory', 'program'):
    with open(os.path.join(out_dir, 'bare-' + label), 'wb') as f:
        f.write(pack(objects[label]))
with open(os.path.join(out_dir, 'two-objects'), 'wb') as f:
    f.write(pack(objects['real'] + objects['string']))
