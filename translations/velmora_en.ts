<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>BatchWindow</name>
    <message numerus="yes">
        <source>%1 of %n files — %2</source>
        <translation>
            <numerusform>%1 of %n file — %2</numerusform>
            <numerusform>%1 of %n files — %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files were successfully processed.</source>
        <translation>
            <numerusform>%n file was successfully processed.</numerusform>
            <numerusform>%n files were successfully processed.</numerusform>
        </translation>
    </message>
</context>
</TS>
