# vkrandom-cli as scripts see it, on a copy of the demo robot: output, exit status, the files
# left behind, and messages on stderr (shown after the output, as their ids; the texts are in the
# string table of res/vkrandom.rc). $CLI, $DEMO and $VERSION come from ctest. Its own words are
# English here, Japanese under a Japanese locale.

  $ cp -r "$DEMO/." . && chmod -R u+w . && export XDG_DATA_HOME=$PWD/data LC_ALL=C
  $ ini() { printf "$1" > s.ini; }
  $ showIni() { sed "s|$PWD|PWD|" s.ini | cat -A; }
  $ cli() { "$CLI" --settings s.ini --lock lock "$@" 2>err; s=$?; sed -E 's/^(\[[0-9]+\]) .*/\1/; /^[^[v]/d' err; return $s; }
  $ ini "[DATA]\r\nPATH=$PWD/robot\r\n"

# The list in file order without the entries of other program types; show; names not listed.

  $ cli list | wc -l
  10
  $ cli show ダンス曲 | cut -c1-9
  file: ACT
  choice: 3
  [ ] 0 \xe3\x83\xa9 (esc)
  [ ] 1 \xe3\x83\xaf (esc)
  [ ] 2 \xe3\x82\xb5 (esc)
  [x] 3 \xe3\x82\xbf (esc)
  $ cli get 見つからないプログラム
  -1
  $ cli get ルモ2の光り方
  vkrandom-cli: no listed entry is named "\xe3\x83\xab\xe3\x83\xa22\xe3\x81\xae\xe5\x85\x89\xe3\x82\x8a\xe6\x96\xb9" (esc)
  [1]
  $ cli get 歩き方😀
  vkrandom-cli: no listed entry is named "\xe6\xad\xa9\xe3\x81\x8d\xe6\x96\xb9\xf0\x9f\x98\x80" (esc)
  [1]

# Each choice written and read back; one the entry does not offer, or a missing file, is
# refused before any export; a write that fails shows 112.

  $ for c in 3 random 1 2; do cli set 歩き方 $c && cli get 歩き方; done
  [113]
  3
  [113]
  0
  [113]
  1
  [113]
  2
  $ cli set 歩き方 4
  vkrandom-cli: "\xe6\xad\xa9\xe3\x81\x8d\xe6\x96\xb9" offers choices 0 to 3 (esc)
  [1]
  $ cli set 見つからないプログラム 1
  vkrandom-cli: "\xe8\xa6\x8b\xe3\x81\xa4\xe3\x81\x8b\xe3\x82\x89\xe3\x81\xaa\xe3\x81\x84\xe3\x83\x97\xe3\x83\xad\xe3\x82\xb0\xe3\x83\xa9\xe3\x83\xa0" cannot be exported: \xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe3\x81\x8c\xe8\xa6\x8b\xe3\x81\xa4\xe3\x81\x8b\xe3\x82\x8a\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93 (esc)
  [1]
  $ chattr +i robot/WALK.XML 2>/dev/null || chmod 444 robot/WALK.XML; cli set 歩き方 1; chattr -i robot/WALK.XML 2>/dev/null; true
  [112]

# Settings: OK always writes the connection type, the program type only when it changed; a
# changed type reloads its own catalogue, missing here.

  $ cli settings | sed "s|$PWD|PWD|"
  program type: 1
  connection type: 0
  program folder: PWD/robot
  card host: flashair
  $ cli settings --program-type 1 && showIni
  [DATA]^M$
  PATH=PWD/robot^M$
  [REMOTE]^M$
  CONNECT_TYPE=0^M$
  $ cli settings --connect-type 1
  $ cli settings --program-type 4; showIni
  [102]
  [DATA]^M$
  PATH=PWD/robot^M$
  VERSION=4^M$
  [REMOTE]^M$
  CONNECT_TYPE=1^M$
  $ cli list; sed -n 2p err | sed "s|$PWD|PWD|g"
  [102]
  RandomL2.csv \xe3\x81\x8c\xe8\xa6\x8b\xe3\x81\xa4\xe3\x81\x8b\xe3\x82\x8a\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xef\xbc\x88\xe6\x8e\xa2\xe3\x81\x97\xe3\x81\x9f\xe5\xa0\xb4\xe6\x89\x80: PWD\xe3\x80\x81PWD/data/VKRandom\xef\xbc\x89 (esc)

# Not in the working folder, a catalogue is taken from the user's data folder.

  $ mkdir -p data/VKRandom && cp Random.csv data/VKRandom/RandomL2.csv && cli list | wc -l
  7

# Direct execution over USB: the copy, then the record; the record file asked for when missing.

  $ mkdir -p card/ADDON && echo old > card/ADDON/REMOTE.LOG
  $ ini "[DATA]\r\nPATH=$PWD/robot\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=$PWD/card/\r\n"
  $ cli exec 歩き方 && cmp card/ADDON/TEMP.VX4 robot/WALK.XML && od -An -tx1 card/ADDON/REMOTE.LOG
   fe ff 88 03 00 00 19 00 05 00 00 00 00 00 00 00
  $ cli exec 見つからないプログラム
  [117]
  [1]
  $ rm -r card && cli exec 歩き方
  [dialog] ADDON/REMOTE.LOG
  [1]
  $ ini "[DATA]\r\nPATH=$PWD/robot\r\n[REMOTE]\r\nCONNECT_TYPE=0\r\n"
  $ cli exec 歩き方
  [1]

# Start-up asks for STARTUP.XML when the folder is unknown: answered by --choose, or cancelled.

  $ ini "[REMOTE]\r\nCONNECT_TYPE=0\r\n"
  $ cli list | tail -2
  [dialog] STARTUP.XML
  [139]
  $ cli --choose "$PWD/robot/STARTUP.XML" list | tail -2
  [131]
  [dialog] STARTUP.XML
  $ showIni
  [REMOTE]^M$
  CONNECT_TYPE=0^M$
  [DATA]^M$
  PATH=PWD/robot^M$
  $ cli settings --choose-folder
  [131]
  [dialog] STARTUP.XML
  [1]
  $ cli --choose "$PWD/STARTUP.XML" settings --choose-folder && showIni | grep PATH
  [131]
  [dialog] STARTUP.XML
  PATH=PWD^M$
  $ cli settings --no-folder && showIni
  [131]
  [dialog] STARTUP.XML
  [139]
  [REMOTE]^M$
  CONNECT_TYPE=0^M$
  [DATA]^M$
  PATH=^M$

# Settings that cannot be stored (the settings path is a folder): status 1 and the reason, here
# for a Japanese user.

  $ mkdir bad.ini && LC_ALL=ja_JP.UTF-8 "$CLI" --settings bad.ini --lock lock settings --connect-type 1 2>&1 | grep vkrandom-cli; echo ${PIPESTATUS[0]}
  vkrandom-cli: 設定を保存できませんでした: bad.ini
  1

# Another instance holds the lock: status 3 before anything else.

  $ flock lock "$CLI" --settings s.ini --lock lock list 2>&1 | cut -c1-5; echo ${PIPESTATUS[0]}
  [106]
  3

# Usage errors stop before start-up, so no lock file is made.

  $ rm lock
  $ for args in "" "--bogus list" "list extra" "set a first" "set a -1" "settings --program-type 5" "settings --connect-type 3" "settings --choose-folder --connect-type 1"; do "$CLI" $args >/dev/null 2>&1; echo "$args: $?"; done; test -e lock || echo no lock
  : 2
  --bogus list: 2
  list extra: 2
  set a first: 2
  set a -1: 2
  settings --program-type 5: 2
  settings --connect-type 3: 2
  settings --choose-folder --connect-type 1: 2
  no lock
  $ "$CLI" --help | head -1
  Usage: vkrandom-cli [--settings FILE | --demo] [--choose PATH]... COMMAND [ARGS]
  $ [ "$("$CLI" --version)" = "$VERSION" ] && echo "the project's version"
  the project's version

# Every place at once, the catalogue checked, all back to random (each file backed up first; the
# backups older than 30 days or beyond 100 MB given up, oldest first) and the change undone; the
# card's address from the settings.

  $ mkdir d && cp -r "$DEMO/." d && chmod -R u+w d && cd d && export XDG_DATA_HOME=$PWD/data
  $ ini "[DATA]\r\nPATH=$PWD/robot\r\n"
  $ cli status | cut -f2 | paste -sd' '
  0 2 1 0 12 0 3 0 0 -1
  $ cli check > out; echo $?; grep -c '	ok$' out
  1
  9
  $ b=$XDG_DATA_HOME/VKRandom/backup y=$(date -d '-1 day' +%Y%m%d-%H%M%S)
  $ mkdir -p $b/20200101-000000 $b/notes $b/$y && truncate -s 101M $b/$y/P.XML
  $ cli reset; echo $?; cli status | cut -f2 | paste -sd' '
  [150]
  [151]
  1
  0 0 0 0 0 0 0 0 0 -1
  $ ls $b | sed 's/^[0-9]\{8\}-[0-9]\{6\}$/TIME/'
  TIME
  last-change.txt
  notes
  $ cli undo && cli status | cut -f2 | paste -sd' ' && cli backups | grep -c "^$XDG_DATA_HOME/VKRandom/backup/"
  [153]
  [154]
  0 2 1 0 12 0 3 0 0 -1
  2
  $ cli settings --card-host 'no such host'; echo $?; cli settings --card-host 192.168.0.1:8080 && grep HOST s.ini
  [156]
  1
  CARD_HOST=192.168.0.1:8080\r (esc)
