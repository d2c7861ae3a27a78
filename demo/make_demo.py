#!/usr/bin/env python3
"""Writes the sample robot folder and catalogue used by ./run and the tests.

The programs are samples made for this project: plausible robot programs, each holding one or
more 30-byte choice slots at the offsets the catalogue names. Run it again after editing.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
RANDOM2 = '<mem_r size="2" adr="0x0f0a"/>'
RANDOM4 = '<mem_r size="4" adr="0x0084"/>'


def const(value):
    text = '<const data="%d"/>' % value
    return text + '\r\n' + ' ' * (30 - 2 - len(text))


# (mask, name, file, kind, slot text, labels)
ENTRIES = [
    (0, 'あいさつ', 'STARTUP.XML', 4, RANDOM4, ['おはよう', 'こんにちは', 'こんばんは']),
    (0, '起動時のダンス', 'STARTUP.XML', 2, const(1), ['ツイスト', 'ステップ', 'ターン', 'ジャンプ']),
    (1, '歩き方', 'WALK.XML', 4, const(0), ['ゆっくり', 'ふつう', 'はやい']),
    (1, '首振り', 'WALK.XML', 2, RANDOM2, ['左右', '上下', '円を描く', '止める', 'うなずく']),
    (0, '鳴き声', 'VOICE.XML', 4, const(11), ['ワン', 'ニャー', 'ピヨ', 'モー', 'ブー', 'メー',
                                             'ガオー', 'ケロ', 'ホー', 'チュー', 'コケコッコー', 'ヒヒーン']),
    (0, '目の色', 'VOICE.XML', 4, RANDOM4, ['赤', '青', '緑', '白']),
    (1, 'ダンス曲', r'ACT\DANCE.XML', 2, const(2), ['ワルツ', 'サンバ', 'タンゴ']),
    (1, '決めポーズ', r'ACT\DANCE.XML', 4, RANDOM4, ['ピース', 'バンザイ']),
    (2, 'パロ専用のしぐさ', 'PALLO.XML', 4, RANDOM4, ['まばたき', 'あくび']),
    (4, 'ルモ2の光り方', 'LUMO.XML', 4, const(0), ['点滅', '点灯']),
    (0, '寝るときの動き', r'ACT\SLEEP.XML', 2, RANDOM2, ['丸くなる', 'のびる', 'いびき']),
    (0, '見つからないプログラム', 'MISSING.XML', 4, RANDOM4, ['A', 'B']),
]


def program(title, slots):
    """XML text with each slot inside its own <set>; returns text and slot offsets."""
    head = ('<?xml version="1.0" encoding="Shift_JIS"?>\r\n'
            '<!-- sample program for VKRandom -->\r\n'
            '<program title="%s">\r\n' % title)
    body, offsets = head, []
    for i, slot in enumerate(slots):
        body += '  <step no="%d">\r\n    <set var="choice%d">\r\n      ' % (i + 1, i + 1)
        offsets.append(len(body.encode('cp932')))
        body += slot + '\r\n    </set>\r\n    <call sub="act%d" arg="choice%d"/>\r\n  </step>\r\n' % (i + 1, i + 1)
    body += '</program>\r\n'
    return body.encode('cp932'), offsets


def main():
    by_file = {}
    for entry in ENTRIES:
        by_file.setdefault(entry[2], []).append(entry)
    offsets = {}
    for name, entries in by_file.items():
        if name == 'MISSING.XML':
            continue
        data, offs = program(name, [e[4] for e in entries])
        path = os.path.join(HERE, 'robot', *name.split('\\'))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
        for e, off in zip(entries, offs):
            offsets[e[1]] = off
    lines = ['種別,名前,備考（VKRandomのサンプルカタログ）,ファイル,乱数,位置,選択肢...']
    for mask, name, file, kind, _, labels in ENTRIES:
        fname = '"%s"' % file if '\\' in file else file
        lines.append('%d,%s,sample,%s,%d,%d,%s,' % (mask, name, fname, kind, offsets.get(name, 200),
                                                  ','.join(labels)))
    with open(os.path.join(HERE, 'Random.csv'), 'wb') as f:
        f.write(('\r\n'.join(lines) + '\r\n').encode('cp932'))


if __name__ == '__main__':
    main()
