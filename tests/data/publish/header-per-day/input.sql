INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'dd mmm yyyy', 'hh:nn', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<html>
<Wren><WrenHeader><h3><$WrenDate></h3></WrenHeader><$WrenEntry><br>
</Wren></html>
');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc) VALUES (1, 1, 1, 1, 1, 'index.html', 'arcs.html', '@SITE@', 1, 'htm', 0);
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-10', '18:00:00', 'second of the 10th');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-10', '09:00:00', 'first of the 10th');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-11', '08:00:00', 'only of the 11th');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-04', '08:00:00', 'before the window');
