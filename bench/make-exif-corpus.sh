#!/usr/bin/env bash
# Makes DIR/photos: COUNT (10,000) small JPEGs whose EXIF dates (written with exiftool) are
# shuffled, and DIR/expected.txt: their names from the oldest to the newest.
set -euo pipefail
dir=${1:?usage: make-exif-corpus.sh DIR [COUNT]}
count=${2:-10000}
mkdir -p "$dir/photos"
cd "$dir"
convert -size 64x48 gradient:red-blue base.jpg
python3 - "$count" <<'PY'
import datetime, random, sys
n = int(sys.argv[1])
random.seed(7)
rank = list(range(n))
random.shuffle(rank)
base = datetime.datetime(2015, 1, 1)
dates = {}
with open('args.txt', 'w') as args:
    for i in range(n):
        date = base + datetime.timedelta(minutes=7 * rank[i], seconds=rank[i] % 60)
        name = 'img%05d.jpg' % i
        dates[name] = date
        args.write('-DateTimeOriginal=%s\n-o\nphotos/%s\nbase.jpg\n-execute\n'
                   % (date.strftime('%Y:%m:%d %H:%M:%S'), name))
with open('expected.txt', 'w') as out:
    out.write('\n'.join(sorted(dates, key=dates.get)) + '\n')
PY
exiftool -q -q -@ args.txt
rm args.txt base.jpg
