#!/usr/bin/env python3
"""Writes a coin table with python3-dbf for the report tests: make_coins.py PATH SET, where
SET is "small" (four coins of three countries), "empty", or "long" (44 coins of Canada and
two of France, so that the France group starts at the foot of the first page)."""
import datetime
import sys

import dbf

SCHEMA = ('COUNTRY C(20); FACEVALUE C(20); YEAR C(7); CONDITION C(30); MINTMARK C(3); '
          'PURCHASEPR F(19,4); MARKETVALU F(19,4); PREMIUMVAL F(19,4); TOPIC C(20); '
          'DESCRIPTIO C(40); PURCHDATE D; MISCELLANE C(110); QUANTITY N(11,0); '
          'COMMENT C(80); YEARAPPROX C(5); WANTED C(3); USERDEF1 C(40); USERDEF2 C(40); '
          'USERDEF3 C(40); USERDEF4 C(40)')


def coin(country, face, year, condition, mint, purchase, market, premium, topic, description,
         bought, misc, quantity, comment, approx, wanted, user1=''):
    return (country, face, year, condition, mint, purchase, market, premium, topic,
            description, bought, misc, quantity, comment, approx, wanted, user1, '', '', '')


SMALL = [
    coin('Canada', '1 Cent', '1967', 'Fine', '', 1.5, 10, 0.5, 'Animals', 'Centennial dove',
         datetime.date(2020, 3, 15), 'Roll find', 3, 'Three alike', 'No', 'No', 'Box 1'),
    coin('Canada', '25 Cents', '1967', 'Very Fine', '', 2, 5, 0, 'Animals', 'Bobcat',
         datetime.date(2021, 6, 1), '', 1, '', 'No', 'Yes'),
    coin('France', '1 Franc', '1960', 'Extremely Fine', '', 4.25, 6, 1, 'Portraits', 'Semeuse',
         datetime.date(1999, 12, 31), '', 2, 'Toned', 'Yes', 'No'),
    coin('Mexico', '1 Peso', '1950', 'Good', 'Mo', 10, 12.5, 2, 'History', 'Morelos',
         None, '', 1, '', 'No', 'Yes'),
]


def long_set():
    rows = []
    for k in range(44):
        rows.append(coin('Canada', '%d Cents' % (k + 1), str(1900 + k), 'Fine', '', 1, 2, 0,
                         'Animals', 'Coin %d' % (k + 1), None, '', 1, '', 'No', 'No'))
    rows.append(coin('France', '1 Franc', '1960', 'Fine', '', 3, 10, 0, 'Portraits',
                     'Semeuse', None, '', 3, '', 'No', 'No'))
    rows.append(coin('France', '2 Francs', '1961', 'Fine', '', 1, 1, 0, 'Portraits',
                     'Last coin', None, '', 1, '', 'No', 'No'))
    return rows


rows = {'small': SMALL, 'empty': [], 'long': long_set()}[sys.argv[2]]
table = dbf.Table(sys.argv[1], SCHEMA, dbf_type='db3', codepage='cp1252')
table.open(dbf.READ_WRITE)
for r in rows:
    table.append(r)
table.close()
