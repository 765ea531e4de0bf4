INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'mmm d', 'hh:nn', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<Wren><$WrenEntry></Wren>');
INSERT INTO Templates (ID, Name, Template) VALUES (2, 'index', '<Wren><$WrenArchive=1></Wren>');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@', 1, 'htm', 0, NULL, '');
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 80)
INSERT INTO Journal (ID, Name, eDate, eTime, Title, Entry) SELECT i, 1, date('2002-07-01', '+' || (i / 3) || ' days'), '12:00:00', '', 'Entry ' || i || ' is *one* of many' || char(13,10) || char(13,10) || '- [back](arc20020630.<$WrenExt>#WrenID1) & `x < ' || i || '`' FROM n;
