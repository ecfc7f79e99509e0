#!/usr/bin/python3
# Writes help.txt, the help page's usage notes: GBK, CR LF line ends, two empty
# lines between notes and no line end after the last one (the reader adds it).
import pathlib

SLASH_NOTE = "请注意 网址结尾带斜杠和不带斜杠，部分时候百度搜索结果并不相同，所以工具查询结果也不相同"
NOTES = [
    "1，收录查询请输入完整网址（例如：http://www.example.com/news/2019/0312.html）",
    "1-1，" + SLASH_NOTE,
    "2，排名查询从EXCEL表格粘贴或者手动输入，关键词+空格+网址，（例如：百度收录查询 http://www.example.com/tools/baidu-index.html）",
    "2-1，" + SLASH_NOTE,
    "3，客户端（单机版）依靠你本机网络和电脑环境，请勿高频次查询，否则百度会返回异常结果",
    "4，泛排名查询：上方填写网站（qa-site.cn 也算它的子域名，www.qa-site.cn 只算这一个主机），下方每行一个关键词，查出网站在前30条结果里的最佳排名、排名网址、标题、条数和其他排名；关键词挖掘：每行一个种子词，从百度下拉联想、相关搜索和大家还在搜里挖出相关关键词，可一键发送到排名查询或泛排名查询",
    "5，异常：百度返回了错误页、空白页或安全验证页，这一行没有得到结论（既不算收录也不算未收录），稍后重新查询即可",
    "6，排名“30+”：网址已收录，但在该关键词的前30条结果里没有找到它",
    "7，排名“--”：网址未收录，所以没有查询它的排名",
    "8，忽略的行：不含“http”的行、空行和重复的行不会查询，也不计入总输入",
    "9，百度安全验证：短时间内查询太多，百度会把请求当作机器人，返回安全验证页而不是搜索结果，这些行显示为异常；放慢查询或过一段时间再查即可",
]

text = "\r\n\r\n\r\n".join(NOTES)
pathlib.Path(__file__).with_name("help.txt").write_bytes(text.encode("gbk"))
