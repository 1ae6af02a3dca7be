#!/usr/bin/env bash
# The iCalendar export, read back by an independent parser: the file's form (CRLF, folding at
# 75 octets, UTF-8, one UID each, all-day dates) and dates known from the published calendars.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work" "$_hj_err"' EXIT

SOURCE_DATE_EPOCH=0 "$cli" ical 2024 2025 >"$work/a.ics"
check exit-code 0 "$?"
SOURCE_DATE_EPOCH=0 "$cli" ical 2024 2025 >"$work/b.ics"
check reproducible "" "$(cmp "$work/a.ics" "$work/b.ics" 2>&1)"

python3 - "$work/a.ics" <<'PY'
import datetime, re, sys
raw = open(sys.argv[1], 'rb').read()
errors = []
def fail(msg):
    errors.append(msg)

# Physical lines: CRLF only, at most 75 octets, each a whole UTF-8 text.
if not raw.endswith(b'\r\n'):
    fail('file does not end with CRLF')
physical = raw[:-2].split(b'\r\n')
for i, line in enumerate(physical):
    if b'\r' in line or b'\n' in line:
        fail('bare CR or LF in line %d' % i)
    if len(line) > 75:
        fail('line %d has %d octets' % (i, len(line)))
    try:
        line.decode('utf-8')
    except UnicodeDecodeError:
        fail('line %d splits a character' % i)
folded = sum(1 for l in physical if l.startswith(b' '))
if folded == 0:
    fail('no folded line: folding untested')

# Unfold (RFC 5545 3.1) and parse "NAME;PARAMS:VALUE".
lines = []
for l in physical:
    l = l.decode('utf-8')
    if l.startswith(' '):
        lines[-1] += l[1:]
    else:
        lines.append(l)
def unescape(v):
    return re.sub(r'\\([\\;,nN])', lambda m: '\n' if m.group(1) in 'nN' else m.group(1), v)

stack, events, cal_props = [], [], {}
for l in lines:
    m = re.match(r'^([A-Z-]+)((?:;[A-Z-]+=[^:;]*)*):(.*)$', l)
    if not m:
        fail('unparsable line: ' + l)
        continue
    name, params, value = m.groups()
    if name == 'BEGIN':
        stack.append(value)
        if value == 'VEVENT':
            events.append({})
    elif name == 'END':
        if not stack or stack.pop() != value:
            fail('END:%s out of place' % value)
    elif stack == ['VCALENDAR']:
        cal_props[name] = value
    elif stack == ['VCALENDAR', 'VEVENT']:
        if name in events[-1]:
            fail('property %s twice in one event' % name)
        events[-1][name] = (params, value)
    else:
        fail('property outside a component: ' + l)
if stack:
    fail('unclosed ' + str(stack))
if cal_props.get('VERSION') != '2.0' or 'PRODID' not in cal_props:
    fail('calendar lacks VERSION:2.0 or PRODID')

uids = set()
by_day = {}
for e in events:
    for p in ('UID', 'DTSTAMP', 'DTSTART', 'DTEND', 'SUMMARY'):
        if p not in e:
            fail('event without ' + p)
    uid = e['UID'][1]
    if uid in uids:
        fail('UID twice: ' + uid)
    uids.add(uid)
    if e['DTSTAMP'][1] != '19700101T000000Z':
        fail('DTSTAMP is not SOURCE_DATE_EPOCH: ' + e['DTSTAMP'][1])
    if e['DTSTART'][0] != ';VALUE=DATE' or e['DTEND'][0] != ';VALUE=DATE':
        fail('not an all-day event: ' + uid)
    start = datetime.datetime.strptime(e['DTSTART'][1], '%Y%m%d').date()
    end = datetime.datetime.strptime(e['DTEND'][1], '%Y%m%d').date()
    if end - start != datetime.timedelta(days=1):
        fail('event does not last one day: ' + uid)
    summary = unescape(e['SUMMARY'][1])
    cat = unescape(e.get('CATEGORIES', ('', ''))[1])
    desc = unescape(e.get('DESCRIPTION', ('', ''))[1])
    by_day.setdefault(start, []).append((summary, cat, desc))

def has(day, summary):
    return any(s == summary for s, _, _ in by_day.get(day, []))
D = datetime.date
# Dates from the published calendars of 2024 and 2025.
for day, summary in [(D(2024, 2, 10), '春节'), (D(2024, 2, 9), '除夕'), (D(2025, 1, 28), '除夕'),
                     (D(2025, 1, 29), '春节'), (D(2024, 4, 4), '清明'), (D(2024, 9, 17), '中秋'),
                     (D(2024, 10, 1), '国庆节'), (D(2024, 6, 10), '端午'), (D(2024, 2, 4), '立春'),
                     (D(2024, 12, 21), '冬至')]:
    if not has(day, summary):
        fail('%s missing on %s' % (summary, day))
for day, items in by_day.items():
    names = [s for s, _, _ in items]
    for s in set(names):
        if names.count(s) > 1:
            fail('%s twice on %s' % (s, day))
if has(D(2025, 1, 27), '除夕'):
    fail('除夕 on the day before the eve')

terms = [(d, s, x) for d, l in by_day.items() for s, c, x in l if c == '节气']
if len(terms) != 48:
    fail('%d solar terms in two years, not 48' % len(terms))
lichun = [x for d, s, x in terms if s == '立春' and d.year == 2024]
if not lichun or '2024-02-04 16:27' not in lichun[0]:
    fail('立春 2024 without its instant: %s' % lichun)

# Lunar months: consecutive first days 29 or 30 days apart, as each description says.
months = sorted((d, x) for d, l in by_day.items() for s, c, x in l if c == '农历')
if len(months) != 25:  # 2024 holds 13 month starts, 2025 twelve
    fail('%d lunar months begin in 2024-2025, not 25' % len(months))
for (d, x), (d2, _) in zip(months, months[1:]):
    n = (d2 - d).days
    if n not in (29, 30) or ('本月%d天' % n) not in x:
        fail('month from %s lasts %d days but says %s' % (d, n, x))

for e in errors[:20]:
    print('FAIL ical:', e)
print('%d events, %d folded lines' % (len(events), folded))
sys.exit(1 if errors else 0)
PY
check parser 0 "$?"

refuses julian-years ical 1582
refuses reversed ical 2025 2024
refuses past-range ical 2024 10000
refuses not-a-year ical 20x4

# The month page lists its festivals after the page; the page itself is unchanged.
check month-festivals "$(printf '2日 北方小年\n3日 南方小年\n9日 除夕\n10日 春节\n24日 元宵')" \
  "$("$cli" month 2024-02 | sed -n '/^$/,$p' | sed -n '/日 /p' | tail -5)"

[ "$fails" = 0 ] && echo "all ical checks passed"
exit $((fails > 0))
