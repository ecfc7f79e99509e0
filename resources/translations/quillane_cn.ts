<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>SystemTrayIcon</name>
    <message>
        <source>最小化(&amp;M)</source>
        <translation>最小化(&amp;M)</translation>
    </message>
    <message>
        <source>还 原(&amp;R)</source>
        <translation>还 原(&amp;R)</translation>
    </message>
    <message>
        <source>退出(&amp;Q)</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>简体中文(&amp;C)</source>
        <translation>简体中文(&amp;C)</translation>
    </message>
    <message>
        <source>英语(&amp;E)</source>
        <translation>英语(&amp;E)</translation>
    </message>
    <message>
        <source>语言设置</source>
        <translation>语言设置</translation>
    </message>
</context>
</TS>
