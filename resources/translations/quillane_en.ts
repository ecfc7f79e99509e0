<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>SystemTrayIcon</name>
    <message>
        <source>最小化(&amp;M)</source>
        <translation>Min(&amp;M)</translation>
    </message>
    <message>
        <source>还 原(&amp;R)</source>
        <translation>Restore(&amp;R)</translation>
    </message>
    <message>
        <source>退出(&amp;Q)</source>
        <translation>Exit(&amp;Q)</translation>
    </message>
    <message>
        <source>简体中文(&amp;C)</source>
        <translation>China(&amp;C)</translation>
    </message>
    <message>
        <source>英语(&amp;E)</source>
        <translation>English(&amp;E)</translation>
    </message>
    <message>
        <source>语言设置</source>
        <translation>Language</translation>
    </message>
</context>
</TS>
