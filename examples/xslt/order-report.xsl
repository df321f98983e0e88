<?xml version="1.0"?>
<!-- A service stylesheet for performServiceXSLT: reports each order to the host's message window
     and writes a one-line summary. -->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:mw="urn:kpxhtml2xml:message-window">
  <xsl:output method="text"/>
  <xsl:param name="AppPath"/>
  <xsl:param name="MsgWndPtr"/>

  <xsl:template match="/orders">
    <xsl:for-each select="order">
      <!-- kind 1 = information, 2 = warning, 3 = error -->
      <xsl:variable name="kind">
        <xsl:choose>
          <xsl:when test="@quantity = 0">2</xsl:when>
          <xsl:otherwise>1</xsl:otherwise>
        </xsl:choose>
      </xsl:variable>
      <xsl:if test="not(mw:add-message($MsgWndPtr, $kind, concat('order ', @id, ': ', @quantity, ' x ', .)))">
        <xsl:message>the message window did not take the message</xsl:message>
      </xsl:if>
    </xsl:for-each>
    <xsl:value-of select="count(order)"/>
    <xsl:text> orders
</xsl:text>
  </xsl:template>
</xsl:stylesheet>
