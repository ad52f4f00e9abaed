#!/usr/bin/env python3
"""Writes the ASCII delimited text files of the import tests (bytes exactly as on disk)."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


def line(values, end=b'\r\n'):
    return b','.join(b'"' + v + b'"' for v in values) + end


# The reading rules: characters before the opening quote and commas inside a value are
# kept, control characters are skipped everywhere, a comma may follow the last value.
write('ascii_rules.txt',
      line([b'Name', b'Value']) +
      b'x"abc",  "d,e"\r\n' +
      b'"t\tab","bell\x07"\r\n' +
      b'"one","two",\r\n' +
      b'"lone"quote","last"\r\n')
write('ascii_doubled_quotes.txt',
      line([b'A', b'B', b'C']) +
      line([b'say ""hi""', b'end""', b'""start']) +
      line([b'""""', b'a"",""b', b'']))
write('ascii_cr_only.txt', line([b'A', b'B'], b'\r') + line([b'1', b'2'], b'\r') + line([b'3', b'4'], b'\r'))
write('ascii_lf_only.txt', line([b'A', b'B'], b'\n') + line([b'1', b'2'], b'\n') + line([b'3', b'4'], b'\n'))
write('ascii_bare_word.txt', b'Hello\r\n"1"\r\n')
write('ascii_30_fields.txt', line([b'F%d' % i for i in range(1, 31)]) + line([b'%d' % i for i in range(1, 31)]))
write('ascii_31_fields.txt', line([b'F%d' % i for i in range(1, 32)]))
write('ascii_long_first.txt', line([b'ok', b'x' * 256]) + line([b'1', b'2']))
write('ascii_255_first.txt', line([b'ok', b'x' * 255]))
write('ascii_long_later.txt', line([b'A', b'B']) + line([b'y' * 300, b'short']) + line([b'z' * 256, b'q' * 400]))
write('ascii_empty_last_line.txt', line([b'A']) + line([b'1']) + b'\r\n')
write('ascii_blank_names.txt', line([b'', b'Coin', b'']) + line([b'1', b'2', b'3']))
write('ascii_cp1252.txt', line([b'Land']) + line(['Côte d\'Ivoire €'.encode('cp1252')]))
write('ascii_utf8_bom.txt', b'\xef\xbb\xbf' + line([b'Land', b'Note']) +
      line(['Côte d\'Ivoire'.encode('utf-8'), 'Łódź ✓ € ß'.encode('utf-8')]))
write('ascii_long_name.txt', line([b'A name longer than twenty characters']))
write('ascii_more_values.txt', line([b'A', b'B']) + line([b'1', b'2', b'3', b'4']) + line([b'5', b'6']))
